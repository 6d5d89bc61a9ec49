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

    // The backend installed or created so far; null before the first.
    static DisplayBackend* current();

    // Replaces the backend in use. Components made from the previous backend
    // must not be used afterwards.
    static void install(std::unique_ptr<DisplayBackend> backend);

    // Removes the installed backend; the next backend() picks the default.
    static void reset();

    // The backend the machine offers, and why it was chosen.
    static std::unique_ptr<DisplayBackend> createDefault(std::string* reason = nullptr);
};
