#pragma once

#include "display/platform/OutputView.h"
#include "module/Property.h"

#include <optional>
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
    // The backend's own view of the output this display came from; absent
    // when the backend cannot describe it.
    std::optional<OutputView> platform;
};
