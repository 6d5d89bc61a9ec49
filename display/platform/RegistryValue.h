#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One named value of a device's hardware key.
struct RegistryValue
{
    std::string name;
    std::vector<uint8_t> data;
};
