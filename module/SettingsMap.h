#pragma once

#include <map>
#include <string>

// Section name -> (key -> value text), as the host hands it to configure().
using SettingsMap = std::map<std::string, std::map<std::string, std::string>>;
