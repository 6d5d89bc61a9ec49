#pragma once

#include <cstdint>
#include <optional>

// One mode an output offers, as the platform view shows it.
struct OutputMode
{
    uint32_t width = 0;
    uint32_t height = 0;
    std::optional<double> refreshHz; // rounded to two decimals; absent when unknown
    bool current = false;
    std::optional<bool> preferred; // absent where the platform has no such notion
};
