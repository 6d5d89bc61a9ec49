#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How a platform names a monitor device after its EDID: the model code is the
// three manufacturer letters followed by the product code as four upper-case
// hex digits (AOC3279). Backends use these to build the identifiers the
// module's EDID search and driver lookup work with.
class MonitorIdentity
{
public:
    // Model code from EDID bytes 8 to 11; empty when fewer than 12 bytes.
    static std::string modelCode(const std::vector<uint8_t>& edid);

    // "MONITOR\<model>\{4d36e96e-e325-11ce-bfc1-08002be10318}\<nnnn>": the device
    // identifier of a monitor device. With an empty model the identifier has
    // no usable model segment ("MONITOR\Default_Monitor...").
    static std::string deviceId(const std::string& model, unsigned instance);

    // "DISPLAY\<model>\<instance part>": the present device's instance
    // identifier, which contains the model code.
    static std::string instanceId(const std::string& model, unsigned instance);

    // "MONITOR\<model>": the first hardware identifier of the monitor class device.
    static std::string hardwareId(const std::string& model);
};
