#pragma once

#include "module/Property.h"

#include <string>
#include <vector>

class SystemComponent;

// A display as the manager listed it after a refresh.
struct DeviceRecord
{
    std::string id;
    std::string name;
    std::vector<Property> properties;
    SystemComponent* component = nullptr; // valid until the next refresh
};
