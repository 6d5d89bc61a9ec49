#pragma once

#include <cstdint>

// A mode as the platform describes it. The module reads the four public
// figures; the backend may keep its own identifier of the mode alongside and
// gets the whole record back when the mode is applied.
struct ModeRecord
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPixel = 0;
    uint32_t frequency = 0;
    uint64_t nativeId = 0; // backend's own mode identifier (RandR mode XID, list index, ...)
    uint32_t flags = 0;    // backend's own flags
    // The exact rate where the platform knows it (59940 for 59.94 Hz); 0:
    // frequency alone counts. Tells apart modes whose whole hertz agree.
    uint32_t refreshMilliHertz = 0;
};
