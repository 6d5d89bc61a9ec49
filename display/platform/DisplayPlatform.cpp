#include "display/platform/DisplayPlatform.h"

#include "display/platform/NullBackend.h"
#ifdef DISPLAY_PLATFORM_HAS_WIN32
#include "display/platform/win/Win32Backend.h"
#endif
#ifdef DISPLAY_PLATFORM_HAS_X11
#include "display/platform/x11/XRandrBackend.h"
#endif
#ifdef DISPLAY_PLATFORM_HAS_DRM
#include "display/platform/drm/DrmBackend.h"
#endif
#ifdef DISPLAY_PLATFORM_HAS_GNOME
#include "display/platform/gnome/GnomeBackend.h"
#endif
#ifdef DISPLAY_PLATFORM_HAS_KDE
#include "display/platform/kde/KdeBackend.h"
#endif

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

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

DisplayBackend::ChangeCallback& changeCallback()
{
    static DisplayBackend::ChangeCallback callback;
    return callback;
}

std::string join(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : "; ") + part;
    return text;
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Under Wayland an X connection reaches Xwayland, whose outputs carry no
// EDID and only made-up modes: the compositor or the kernel knows better.
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
    if (!backend) {
        backend = createDefault();
        if (!backend)
            backend = std::make_unique<NullBackend>();
        if (changeCallback())
            backend->setChangeCallback(changeCallback());
    }
    return *backend;
}

void DisplayPlatform::install(std::unique_ptr<DisplayBackend> backend)
{
    beginHandOut();
    installed() = std::move(backend);
    if (installed() && changeCallback())
        installed()->setChangeCallback(changeCallback());
}

void DisplayPlatform::setChangeCallback(DisplayBackend::ChangeCallback callback)
{
    changeCallback() = std::move(callback);
    if (installed())
        installed()->setChangeCallback(changeCallback());
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

std::unique_ptr<DisplayBackend> DisplayPlatform::createDefault(std::string* reason,
                                                               std::string* error)
{
#ifdef DISPLAY_PLATFORM_HAS_WIN32
    // Windows has one display service for every session.
    if (reason)
        *reason = "win32: the Windows display services";
    return std::make_unique<Win32Backend>();
#endif
    // One order for every machine: in a Wayland session the compositor's own
    // display service (GNOME's, then KWin's), outside one the X server, and
    // the kernel's DRM connectors when nothing better answers.
    std::string session;
    const bool wayland = isWaylandSession(&session);
    std::vector<std::string> why;
    const auto chosen = [&](std::unique_ptr<DisplayBackend> backend) {
        if (reason)
            *reason = backend->name() + ": " + join(why);
        return backend;
    };

    if (wayland) {
        why.push_back(session);
        const auto silent = [&](const std::string& what) {
            if (error)
                *error = what;
            return nullptr;
        };
        (void)silent; // builds without a compositor backend (Windows) use it nowhere
#ifdef DISPLAY_PLATFORM_HAS_GNOME
        std::string gnomeError;
        bool unanswered = false;
        if (auto gnome =
                GnomeBackend::open(&gnomeError, "/sys/class/drm", "/dev/dri", &unanswered)) {
            why.push_back(gnome->description());
            return chosen(std::move(gnome));
        }
        if (unanswered)
            return silent(gnomeError);
        why.push_back(gnomeError);
#else
        why.push_back("this build has no GNOME support");
#endif
#ifdef DISPLAY_PLATFORM_HAS_KDE
        std::string kdeError;
        bool kdeUnanswered = false;
        if (auto kde = KdeBackend::open(nullptr, &kdeError, "/sys/class/drm", "/dev/dri",
                                        &kdeUnanswered)) {
            why.push_back(kde->description());
            return chosen(std::move(kde));
        }
        if (kdeUnanswered)
            return silent(kdeError);
        why.push_back(kdeError);
#endif
    } else {
#ifdef DISPLAY_PLATFORM_HAS_X11
        std::string error;
        if (auto x11 = XRandrBackend::open(nullptr, &error)) {
            why.push_back(x11->description());
            return chosen(std::move(x11));
        }
        why.push_back(error);
#else
        why.push_back("not a Wayland session, and this build has no X11 support");
#endif
    }

#ifdef DISPLAY_PLATFORM_HAS_DRM
    auto drm = std::make_unique<DrmBackend>();
    const size_t connectors = drm->connectorCount();
    if (connectors > 0) {
        why.push_back("reading " + std::to_string(connectors) + " connectors under /sys/class/drm");
        return chosen(std::move(drm));
    }
    why.push_back("no DRM connectors under /sys/class/drm");
#else
    why.push_back("this build has no DRM support");
#endif
    return chosen(std::make_unique<NullBackend>());
}
