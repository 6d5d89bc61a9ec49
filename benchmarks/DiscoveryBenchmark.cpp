#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"
#include "display/Edid.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/sim/DeskLoader.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

// Installs the example desk for one benchmark; false (and the benchmark
// skipped) when it does not load.
bool installDesk(benchmark::State& state, const char* file)
{
    std::string error;
    auto backend = DeskLoader::loadFile(
        std::string(MODULE_DISPLAY_SOURCE_DIR) + "/examples/desks/" + file, &error);
    if (!backend) {
        state.SkipWithError(error.c_str());
        return false;
    }
    DisplayPlatform::install(std::move(backend));
    return true;
}

// What a host pays to list the displays of the sixteen-screen wall.
void refreshWall16(benchmark::State& state)
{
    if (!installDesk(state, "wall-16.json"))
        return;
    DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
    for (auto _ : state) {
        manager.refresh();
        benchmark::DoNotOptimize(manager.componentCount());
    }
    state.counters["displays"] = double(manager.componentCount());
    DisplayPlatform::reset();
}
BENCHMARK(refreshWall16)->Unit(benchmark::kMicrosecond);

// Rebuilding one display's property list.
void collectPropertiesOffice(benchmark::State& state)
{
    if (!installDesk(state, "office.json"))
        return;
    DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
    manager.refresh();
    auto* display = static_cast<DisplayInterfaceComponent*>(manager.componentAt(0));
    for (auto _ : state) {
        display->collectProperties();
        benchmark::DoNotOptimize(display->info().properties.size());
    }
    DisplayPlatform::reset();
}
BENCHMARK(collectPropertiesOffice)->Unit(benchmark::kMicrosecond);

// Listing an output's modes grows linearly with the list.
void listModes(benchmark::State& state)
{
    SimulatedDesk desk;
    SimulatedDisplay& display = desk.display("DP-1");
    for (int64_t i = 0; i < state.range(0); ++i)
        display.mode(uint32_t(640 + i), 480, 32, 60);
    DisplayPlatform::install(std::make_unique<SimulatedBackend>(desk));
    DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
    manager.refresh();
    auto* component = static_cast<DisplayInterfaceComponent*>(manager.componentAt(0));
    std::vector<DisplayMode*> modes;
    for (auto _ : state) {
        component->modes(modes);
        benchmark::DoNotOptimize(modes.data());
    }
    state.SetComplexityN(state.range(0));
    DisplayPlatform::reset();
}
BENCHMARK(listModes)->RangeMultiplier(8)->Range(8, 8 << 9)->Complexity(benchmark::oN);

// Reading an EDID value grows linearly with the value (up to the 1024 bytes
// the reader takes).
void readEdidValue(benchmark::State& state)
{
    std::vector<uint8_t> edid(size_t(state.range(0)), 0);
    const uint8_t header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x04, 0x43};
    std::copy(std::begin(header), std::end(header), edid.begin());
    SimulatedDesk desk;
    desk.display("DP-1").withEdid(edid);
    DisplayPlatform::install(std::make_unique<SimulatedBackend>(desk));
    DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
    manager.refresh();
    auto* component = static_cast<DisplayInterfaceComponent*>(manager.componentAt(0));
    Edid* decoded = nullptr;
    for (auto _ : state) {
        component->readEdid(decoded);
        benchmark::DoNotOptimize(decoded);
    }
    state.SetComplexityN(state.range(0));
    DisplayPlatform::reset();
}
BENCHMARK(readEdidValue)->RangeMultiplier(2)->Range(128, 1024)->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
