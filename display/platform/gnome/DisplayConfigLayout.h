#pragma once

#include "display/platform/OutputSnapshot.h"
#include "display/platform/gnome/DisplayConfigState.h"

#include <vector>

// What a GetCurrentState answer means in the module's terms, without any
// D-Bus: one snapshot row per monitor in the service's order, its modes
// turned like its region, its current mode (none when off). Every region of
// the desktop (a logical monitor) is shown in the first of its monitors in
// the service's order; the others are its clones. A region's rectangle takes
// the current mode's size, turned for transforms 1, 3, 5 and 7 and divided
// by the scale only in the logical layout. EDIDs are the backend's to add.
class DisplayConfigLayout
{
public:
    // Bits per pixel of every mode: compositors draw into 32-bit buffers.
    static constexpr uint32_t BitsPerPixel = 32;

    static std::vector<OutputSnapshot::Output> outputsOf(const DisplayConfigState& state);
};
