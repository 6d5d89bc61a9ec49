// gnome_refresh_timing [RUNS]: times one display refresh of the module over
// the GNOME backend (GetCurrentState and the EDID and driver lookups), once
// with a new backend and session-bus connection (cold) and then on a backend
// that has already answered (warm). Prints milliseconds per refresh.
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/gnome/GnomeBackend.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {
double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

bool install()
{
    std::string error;
    auto backend = GnomeBackend::open(&error);
    if (!backend) {
        std::fprintf(stderr, "gnome_refresh_timing: %s\n", error.c_str());
        return false;
    }
    DisplayPlatform::install(std::move(backend));
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    double cold = 0;
    uint32_t components = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!install())
            return 1;
        DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
        manager.refresh();
        components = manager.componentCount();
        cold += millisecondsSince(start);
    }
    DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
    manager.refresh();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        manager.refresh();
    const double warm = millisecondsSince(start);
    std::printf("components %u\ncold_ms %.3f\nwarm_ms %.3f\n", components, cold / runs,
                warm / runs);
    return 0;
}
