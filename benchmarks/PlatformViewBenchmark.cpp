#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/SystemComponent.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/sim/DeskLoader.h"
#include "host/runtime/DeviceRecord.h"
#include "host/runtime/PlatformSummary.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// What a host does to list the sixteen-screen wall: the module's refresh and
// every display's property list, and with argument 1 also the platform view
// of each display and the identity read from its EDID. The two rows side by
// side give the cost the platform view adds.
void listWall16(benchmark::State& state)
{
    std::string error;
    auto backend = DeskLoader::loadFile(
        std::string(MODULE_DISPLAY_SOURCE_DIR) + "/examples/desks/wall-16.json", &error);
    if (!backend) {
        state.SkipWithError(error.c_str());
        return;
    }
    DisplayPlatform::install(std::move(backend));
    const bool withPlatformView = state.range(0) != 0;
    DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
    std::vector<DeviceRecord> devices;
    for (auto _ : state) {
        manager.refresh();
        devices.clear();
        for (uint32_t i = 0; i < manager.componentCount(); ++i) {
            SystemComponent* component = manager.displayAt(i);
            const ComponentInfo info = component->info();
            DeviceRecord device{
                component->componentId(), info.name, info.properties, component, {}};
            if (withPlatformView) {
                OutputView view;
                if (DisplayPlatform::describe(device.id, view))
                    device.platform = std::move(view);
                benchmark::DoNotOptimize(PlatformSummary(device).serialNumber());
            }
            devices.push_back(std::move(device));
        }
        benchmark::DoNotOptimize(devices.data());
    }
    state.counters["displays"] = double(devices.size());
    DisplayPlatform::reset();
}
BENCHMARK(listWall16)->ArgName("platformView")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
