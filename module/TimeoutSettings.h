#pragma once

#include "module/SettingsMap.h"

#include <cstdint>
#include <string>

// Reads an attended test's display time-out from the "CSAT" section: the
// test's own key first (when it has one), then "CSAT_TEST_TIMEOUT", else the
// default of 5 seconds. A value without digits or out of range throws the
// standard conversion errors (see stoiConversion) before anything changes.
namespace TimeoutSettings {
constexpr int32_t DefaultSeconds = 5;
int32_t read(const SettingsMap& settings, const std::string& ownKey);
int32_t readGeneral(const SettingsMap& settings); // tests without a key of their own
} // namespace TimeoutSettings
