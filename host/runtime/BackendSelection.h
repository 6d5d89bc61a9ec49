#pragma once

#include <string>

// Chooses the display backend for the whole process from a --platform value:
// "auto" (what the machine has), "x11", "gnome", "drm" or "sim:FILE" (a JSON
// desk).
class BackendSelection
{
public:
    // The accepted forms, for messages.
    static std::string choices();

    // Creates and installs the backend. On failure installs nothing, returns
    // false and sets error to one sentence. description says what was chosen
    // and why (for verbose output).
    static bool install(const std::string& choice, std::string* description, std::string* error);
};
