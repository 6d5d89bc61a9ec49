#pragma once

#include <cstdint>
#include <string>

// One display the module handed out at its last refresh: its identifier
// (dpy1, dpy2, ... in the order handed out), the output of the monitor that
// shows it and the monitor device attached there. Lets a host pair each
// identifier with the backend's output exactly, however alike the monitors.
struct HandedOutDisplay
{
    std::string id;
    std::string output;        // the monitor's output (the adapter's name)
    std::string monitorDevice; // "<output>\Monitor<n>"
    uintptr_t monitor = 0;     // the backend's monitor handle
};
