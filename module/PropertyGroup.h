#pragma once

#include "module/Property.h"

#include <string>
#include <vector>

struct PropertyGroup
{
    std::vector<Property> properties;
    std::string name;
};
