#pragma once

#include "module/Property.h"

#include <map>
#include <string>
#include <vector>

// What the host shows of a component: its name key and its property list.
struct ComponentInfo
{
    std::string name;
    std::string description; // never set by this module
    std::vector<Property> properties;
    std::map<std::string, std::string> propertyMap; // never filled by this module
};
