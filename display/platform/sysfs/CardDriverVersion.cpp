#include "display/platform/CardDriverVersion.h"

#include "display/platform/sysfs/SysfsReader.h"

std::optional<std::string> CardDriverVersion::read(const std::string& sysfsRoot,
                                                   const std::string& deviceRoot,
                                                   const std::string& card)
{
    return SysfsReader::driverVersion(sysfsRoot, deviceRoot, card);
}
