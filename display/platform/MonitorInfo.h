#pragma once

#include "display/platform/Rect.h"

#include <cstdint>
#include <string>

// One monitor of the virtual desktop: its rectangle and the name of the
// display output that shows it.
struct MonitorInfo
{
    Rect rcMonitor;
    Rect rcWork;
    uint32_t flags = 0; // PrimaryMonitor for the primary one
    std::string device; // output name, compared byte for byte with adapter names

    static constexpr uint32_t PrimaryMonitor = 0x1;
};
