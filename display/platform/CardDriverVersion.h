#pragma once

#include <optional>
#include <string>

// The version of the driver behind an output's card, as the platform tells
// it: on Linux the DRM card read through sysfs (sysfs/), on Windows the
// display adapter read through its registry key (win/). Each platform's
// folder implements it; the roots mean nothing on Windows.
class CardDriverVersion
{
public:
    static std::optional<std::string> read(const std::string& sysfsRoot,
                                           const std::string& deviceRoot, const std::string& card);
};
