#pragma once

#include "display/platform/DisplayBackend.h"
#include "display/platform/HandedOutDisplay.h"
#include "display/platform/OutputView.h"

#include <memory>
#include <string>
#include <vector>

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

    // The backend the machine offers, and why it was chosen. Null with
    // *error set when the session's compositor is there but does not answer:
    // falling through to another backend would only find nothing.
    static std::unique_ptr<DisplayBackend> createDefault(std::string* reason = nullptr,
                                                         std::string* error = nullptr);

    // The displays handed out at the last refresh. The component manager
    // starts a new list at each refresh and notes every display it makes, in
    // order; installing or resetting the backend forgets the list.
    static void beginHandOut();
    static void noteHandedOut(const HandedOutDisplay& display);
    static std::vector<HandedOutDisplay> handedOut();

    // The platform view of the display handed out as id ("dpy2"). False when
    // no display of that id was handed out or the backend cannot describe it.
    static bool describe(const std::string& id, OutputView& view);
};
