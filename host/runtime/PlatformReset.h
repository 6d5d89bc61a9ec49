#pragma once

#include "display/platform/DisplayPlatform.h"

// Removes the display backend when it goes out of scope. A host keeps one
// below its QCoreApplication, so the backend's threads and bus objects are
// destroyed while Qt still runs.
struct PlatformReset
{
    PlatformReset() = default;
    PlatformReset(const PlatformReset&) = delete;
    PlatformReset& operator=(const PlatformReset&) = delete;
    ~PlatformReset() { DisplayPlatform::reset(); }
};
