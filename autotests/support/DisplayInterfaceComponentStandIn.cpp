#include "display/DisplayInterfaceComponent.h"

// The base of the display component for test builds made before the real one
// exists in the tree; CMake leaves this file out once it does.
DisplayInterfaceComponent::DisplayInterfaceComponent(const std::string& componentId)
    : SystemComponent(componentId)
{}

void DisplayInterfaceComponent::collectProperties() {}
