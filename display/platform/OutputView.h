#pragma once

#include "display/platform/OutputMode.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the platform itself says about the output behind one display, beside
// the module's own view of it: the connector, where it sits on the desktop,
// the refresh rate, every mode in the platform's order and the EDID exactly
// as read (every block).
struct OutputView
{
    std::string connector; // "DP-1", "HDMI-A-2", "DUMMY1"
    int32_t x = 0;
    int32_t y = 0;
    uint32_t width = 0; // in device pixels, the current mode turned with the output
    uint32_t height = 0;
    // Where the compositor scales the output: device pixels per pixel of
    // the desktop's coordinates, and the size in those coordinates. 1 and
    // 0x0 where it does not.
    double scale = 1.0;
    uint32_t logicalWidth = 0;
    uint32_t logicalHeight = 0;
    bool primary = false;
    std::optional<double> refreshHz; // current mode, rounded to two decimals
    std::vector<OutputMode> modes;
    std::vector<uint8_t> edid; // empty when the platform has none

    // Rounds a rate to two decimals, the precision every view shows.
    static double roundedHz(double hz) { return std::round(hz * 100.0) / 100.0; }
};
