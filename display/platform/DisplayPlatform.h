#pragma once

#include "display/platform/DisplayBackend.h"

#include <memory>
#include <string>

// The process-wide display backend. A host (or a test) installs one before it
// asks the module to enumerate displays; otherwise the first use picks the
// machine's own backend.
class DisplayPlatform
{
public:
    // The backend in use; creates the default one on first use.
    static DisplayBackend& backend();

    // Replaces the backend in use. Components made from the previous backend
    // must not be used afterwards.
    static void install(std::unique_ptr<DisplayBackend> backend);

    // Display changes made by others, as DisplayBackend::DisplayEvent bits,
    // from the backend in use and every backend installed later; an empty
    // callback stops them. Called on any thread.
    static void setChangeCallback(DisplayBackend::ChangeCallback callback);

    // Removes the installed backend; the next backend() picks the default.
    static void reset();

    // The backend the machine offers, and why it was chosen.
    static std::unique_ptr<DisplayBackend> createDefault(std::string* reason = nullptr);
};
