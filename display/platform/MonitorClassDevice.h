#pragma once

#include <optional>
#include <string>

// A monitor-class device, present or not: its first hardware identifier
// ("MONITOR\<model code>") and the version of its driver when one is known.
struct MonitorClassDevice
{
    std::string hardwareId;
    std::optional<std::string> driverVersion;
};
