#include "host/runtime/BackendSelection.h"

#include "display/platform/DisplayPlatform.h"
#include "display/platform/sim/DeskLoader.h"

#ifdef HOST_HAS_X11
#include "display/platform/x11/XRandrBackend.h"
#endif
#ifdef HOST_HAS_DRM
#include "display/platform/drm/DrmBackend.h"
#endif
#ifdef HOST_HAS_GNOME
#include "display/platform/gnome/GnomeBackend.h"
#endif
#ifdef HOST_HAS_KDE
#include "display/platform/kde/KdeBackend.h"
#endif

std::string BackendSelection::choices()
{
    return "auto, x11, gnome, kde, drm or sim:FILE";
}

bool BackendSelection::install(const std::string& choice, std::string* description,
                               std::string* error)
{
    std::unique_ptr<DisplayBackend> backend;
    std::string reason;
    std::string failure;
    if (choice == "auto") {
        backend = DisplayPlatform::createDefault(&reason, &failure);
        reason = "chosen automatically: " + reason;
    } else if (choice.rfind("sim:", 0) == 0) {
        const std::string path = choice.substr(4);
        if (path.empty()) {
            failure = "--platform=sim: needs the path of a desk file, as in sim:desk.json";
        } else {
            backend = DeskLoader::loadFile(path, &failure);
            reason = "simulated desk " + path;
        }
    } else if (choice == "x11") {
#ifdef HOST_HAS_X11
        backend = XRandrBackend::open(nullptr, &failure);
        reason = "X11 RandR, as asked";
#else
        failure = "this build has no X11 RandR support";
#endif
    } else if (choice == "gnome") {
#ifdef HOST_HAS_GNOME
        if (auto gnome = GnomeBackend::open(&failure)) {
            reason = gnome->description() + ", as asked";
            backend = std::move(gnome);
        }
#else
        failure = "this build has no GNOME support";
#endif
    } else if (choice == "drm") {
#ifdef HOST_HAS_DRM
        auto drm = std::make_unique<DrmBackend>();
        reason = "kernel DRM, as asked; " + std::to_string(drm->connectorCount()) +
                 " connector(s) found";
        backend = std::move(drm);
#else
        failure = "this build has no kernel DRM support";
#endif
    } else if (choice == "kde") {
#ifdef HOST_HAS_KDE
        if (auto kde = KdeBackend::open(nullptr, &failure)) {
            reason = kde->description() + ", as asked";
            backend = std::move(kde);
        }
#else
        failure = "this build has no support for KWin's output protocols";
#endif
    } else {
        failure = "unknown platform \"" + choice + "\"; choose " + choices();
    }
    if (!backend) {
        if (error)
            *error = failure.empty() ? "the platform " + choice + " cannot be used" : failure;
        return false;
    }
    if (description)
        *description = backend->name() + " (" + reason + ")";
    DisplayPlatform::install(std::move(backend));
    return true;
}
