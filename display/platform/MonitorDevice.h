#pragma once

#include "display/platform/RegistryValue.h"

#include <string>
#include <vector>

// A present monitor device of the device database: its instance identifier
// (which contains the model code) and the values of its hardware key.
struct MonitorDevice
{
    std::string instanceId;
    bool keyOpens = true;                         // false when the hardware key cannot be opened
    std::vector<RegistryValue> hardwareKeyValues; // "EDID" among them when known
};
