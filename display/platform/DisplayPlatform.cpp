#include "display/platform/DisplayPlatform.h"

#include "display/platform/NullBackend.h"

namespace {
std::unique_ptr<DisplayBackend>& installed()
{
    static std::unique_ptr<DisplayBackend> backend;
    return backend;
}
} // namespace

DisplayBackend& DisplayPlatform::backend()
{
    auto& backend = installed();
    if (!backend)
        backend = createDefault();
    return *backend;
}

void DisplayPlatform::install(std::unique_ptr<DisplayBackend> backend)
{
    installed() = std::move(backend);
}

void DisplayPlatform::reset()
{
    installed().reset();
}

std::unique_ptr<DisplayBackend> DisplayPlatform::createDefault(std::string* reason)
{
    if (reason)
        *reason = "no display backend is available on this machine";
    return std::make_unique<NullBackend>();
}
