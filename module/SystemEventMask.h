#pragma once

#include <cstdint>

// Bits of the host's system-event word that mean an event which could
// compromise a running test (bits 0, 1 and 3 to 8).
constexpr uint32_t SystemEventMask = 0x1FB;

// The word belongs to the host and may change at any time; read it once.
inline uint32_t readSystemEventWord(const uint32_t* word)
{
    return *static_cast<const volatile uint32_t*>(word);
}
