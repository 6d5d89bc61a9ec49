// x11_refresh_timing [RUNS]: times the questions one display refresh asks the
// RandR backend (monitors, their devices, current mode, EDID search, driver
// lookup), once on a new connection (cold) and then on a connection that has
// already answered (warm). Prints milliseconds per refresh.
#include "display/platform/x11/XRandrBackend.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// The calls a component manager makes for one refresh, in its order.
size_t refresh(DisplayBackend& backend)
{
    size_t components = 0;
    backend.enumDisplayMonitors([&](DisplayBackend::MonitorHandle handle) {
        MonitorInfo info;
        if (!backend.getMonitorInfo(handle, info))
            return true;
        DisplayDevice adapter;
        for (uint32_t i = 0; backend.enumDisplayDevices(nullptr, i, adapter); ++i) {
            if (adapter.deviceName != info.device)
                continue;
            DisplayDevice device;
            for (uint32_t j = 0; backend.enumDisplayDevices(adapter.deviceName.c_str(), j, device);
                 ++j) {
                if (!(device.stateFlags & DisplayDevice::Active))
                    continue;
                ModeRecord mode;
                backend.enumDisplaySettings(info.device, DisplayBackend::CurrentSettings, mode);
                std::vector<MonitorDevice> present;
                backend.presentMonitorDevices(present);
                std::vector<MonitorClassDevice> classes;
                backend.monitorClassDevices(classes);
                ++components;
            }
            break;
        }
        return true;
    });
    return components;
}

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}
} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    double cold = 0;
    size_t components = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        auto backend = XRandrBackend::open(nullptr, &error);
        if (!backend) {
            std::fprintf(stderr, "x11_refresh_timing: %s\n", error.c_str());
            return 1;
        }
        components = refresh(*backend);
        cold += millisecondsSince(start);
    }
    std::string error;
    auto backend = XRandrBackend::open(nullptr, &error);
    if (!backend)
        return 1;
    refresh(*backend);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        refresh(*backend);
    const double warm = millisecondsSince(start);
    std::printf("components %zu\ncold_ms %.3f\nwarm_ms %.3f\n", components, cold / runs,
                warm / runs);
    return 0;
}
