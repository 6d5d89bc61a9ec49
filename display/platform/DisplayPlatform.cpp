#include "display/platform/DisplayPlatform.h"

#include "display/platform/NullBackend.h"
#ifdef DISPLAY_PLATFORM_HAS_X11
#include "display/platform/x11/XRandrBackend.h"
#endif
#ifdef DISPLAY_PLATFORM_HAS_DRM
#include "display/platform/drm/DrmBackend.h"
#endif

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace {
std::unique_ptr<DisplayBackend>& installed()
{
    static std::unique_ptr<DisplayBackend> backend;
    return backend;
}

struct HandOutList
{
    std::mutex mutex;
    std::vector<HandedOutDisplay> displays;
};

HandOutList& handOuts()
{
    static HandOutList list;
    return list;
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Under Wayland an X connection reaches Xwayland, whose outputs carry no
// EDID and only made-up modes, so the kernel's view is the better one.
bool isWaylandSession(std::string* why)
{
    if (!environment("WAYLAND_DISPLAY").empty()) {
        *why = "a Wayland session (WAYLAND_DISPLAY=" + environment("WAYLAND_DISPLAY") + ")";
        return true;
    }
    if (environment("XDG_SESSION_TYPE") == "wayland") {
        *why = "a Wayland session (XDG_SESSION_TYPE=wayland)";
        return true;
    }
    return false;
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
    beginHandOut();
    installed() = std::move(backend);
}

void DisplayPlatform::reset()
{
    beginHandOut();
    installed().reset();
}

void DisplayPlatform::beginHandOut()
{
    std::lock_guard<std::mutex> lock(handOuts().mutex);
    handOuts().displays.clear();
}

void DisplayPlatform::noteHandedOut(const HandedOutDisplay& display)
{
    std::lock_guard<std::mutex> lock(handOuts().mutex);
    handOuts().displays.push_back(display);
}

std::vector<HandedOutDisplay> DisplayPlatform::handedOut()
{
    std::lock_guard<std::mutex> lock(handOuts().mutex);
    return handOuts().displays;
}

bool DisplayPlatform::describe(const std::string& id, OutputView& view)
{
    HandedOutDisplay found;
    {
        std::lock_guard<std::mutex> lock(handOuts().mutex);
        auto& displays = handOuts().displays;
        auto it = std::find_if(displays.begin(), displays.end(),
                               [&id](const HandedOutDisplay& display) { return display.id == id; });
        if (it == displays.end())
            return false;
        found = *it;
    }
    view = OutputView();
    return backend().describeDevice(found.output, found.monitorDevice, view);
}

std::unique_ptr<DisplayBackend> DisplayPlatform::createDefault(std::string* reason)
{
    std::string session;
    const bool wayland = isWaylandSession(&session);
    std::string why = wayland ? session : "";

#ifdef DISPLAY_PLATFORM_HAS_X11
    if (!wayland) {
        std::string error;
        if (auto x11 = XRandrBackend::open(nullptr, &error)) {
            if (reason)
                *reason = "x11: " + x11->description();
            return x11;
        }
        why = error;
    }
#else
    if (!wayland)
        why = "this build has no X11 support";
#endif

#ifdef DISPLAY_PLATFORM_HAS_DRM
    auto drm = std::make_unique<DrmBackend>();
    const size_t connectors = drm->connectorCount();
    if (connectors > 0) {
        if (reason)
            *reason = "drm: " + why + "; reading " + std::to_string(connectors) +
                      " connectors under /sys/class/drm";
        return drm;
    }
    why += "; no DRM connectors under /sys/class/drm";
#else
    why += "; this build has no DRM support";
#endif
    if (reason)
        *reason = "none: " + why;
    return std::make_unique<NullBackend>();
}
