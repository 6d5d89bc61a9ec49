#include "module/TimeoutSettings.h"

#include "module/Keys.h"
#include "module/StoiConversion.h"

namespace {
int32_t lookup(const SettingsMap& settings, const std::string* ownKey)
{
    const auto section = settings.find(Keys::CSAT);
    if (section == settings.end())
        return TimeoutSettings::DefaultSeconds;
    if (ownKey) {
        const auto own = section->second.find(*ownKey);
        if (own != section->second.end())
            return stoiConversion(own->second);
    }
    const auto general = section->second.find(Keys::CSAT_TEST_TIMEOUT);
    if (general != section->second.end())
        return stoiConversion(general->second);
    return TimeoutSettings::DefaultSeconds;
}
} // namespace

int32_t TimeoutSettings::read(const SettingsMap& settings, const std::string& ownKey)
{
    return lookup(settings, &ownKey);
}

int32_t TimeoutSettings::readGeneral(const SettingsMap& settings)
{
    return lookup(settings, nullptr);
}
