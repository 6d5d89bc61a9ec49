#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The present monitor devices of the device database (SetupAPI's monitor
// class) with what the module asks of each: its instance identifier, first
// hardware identifier and the EDID from its hardware key.
class PresentMonitors
{
public:
    struct Device
    {
        std::string instanceId; // "DISPLAY\Default_Monitor\0000&0000"
        std::string hardwareId; // "MONITOR\Default_Monitor"
        bool keyOpens = false;
        std::optional<std::vector<uint8_t>> edid; // absent when the key has no "EDID"
    };

    // Absent when the device list cannot be obtained.
    static std::optional<std::vector<Device>> read();

    // The device of that instance identifier (compared without regard to
    // case, as the system does); null when there is none.
    static const Device* find(const std::vector<Device>& devices, const std::string& instanceId);
};
