#pragma once

#include "display/platform/DisplayBackend.h"

#include <cstdint>

// One mode a simulated output lists, and what switching to it answers.
struct SimulatedMode
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPixel = 32;
    uint32_t frequency = 60;
    int32_t applyResult = DisplayBackend::ChangeSuccessful;
};
