#pragma once

#include "module/TarnLiteDpi.h"

class ModuleInterface;
class ProductVersion;

// The three entry points a host resolves by name.
extern "C" {
MODULE_DISPLAY_EXPORT ModuleInterface* GetModuleInterfaceInstance();
MODULE_DISPLAY_EXPORT ProductVersion* GetProductVersion();
MODULE_DISPLAY_EXPORT void ReleaseModuleInterfaceInstance();
}
