#pragma once

#include <cstdint>
#include <string>

// A display device as the platform enumerates it: an adapter (an output) or a
// monitor device attached to an adapter.
struct DisplayDevice
{
    std::string deviceName;   // adapter: output name; monitor: "<output>\Monitor<n>"
    std::string deviceString; // human-readable description
    uint32_t stateFlags = 0;
    std::string deviceId; // monitor: "MONITOR\<model code>\<instance>"
    std::string deviceKey;

    static constexpr uint32_t AttachedToDesktop = 0x1;
    static constexpr uint32_t Active = 0x1; // for monitor devices the same bit means active
    static constexpr uint32_t PrimaryDevice = 0x4;
    static constexpr uint32_t MirroringDriver = 0x8;
};
