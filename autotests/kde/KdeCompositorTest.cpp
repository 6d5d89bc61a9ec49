#include <gtest/gtest.h>

#include "display/platform/kde/KdeCompositor.h"

#include <wayland-util.h>

namespace {
KdeOutputDevice::State outputAt(int32_t x, double scale, int32_t refreshMilliHertz)
{
    KdeOutputDevice::State state;
    state.name = "DP-1";
    state.enabled = true;
    state.x = x;
    state.scale = scale;
    state.modes = {{1920, 1080, 60000, true}, {1920, 1080, 59940, false}};
    state.currentMode = refreshMilliHertz == 60000 ? 0 : 1;
    return state;
}
} // namespace

// Our own configuration is known by what it makes of the output, whenever
// the device's "done" arrives: equal content is ours, any other difference
// is someone else's change. Scales come back as wl_fixed.
TEST(KdeCompositor, AnOwnConfigurationIsKnownByItsContent)
{
    KdeCompositor::Expected wanted = KdeCompositor::expectedOf(outputAt(1920, 1.2, 59940));
    const double fixedScale = wl_fixed_to_double(wl_fixed_from_double(1.2));
    KdeOutputDevice::State disabled = outputAt(0, 1.0, 60000);
    disabled.enabled = false;
    KdeOutputDevice::State turned = outputAt(1920, 1.2, 59940);
    turned.transform = 1;

    const std::tuple<const char*, KdeOutputDevice::State, bool> rows[] = {
        {"as asked, scale through wl_fixed", outputAt(1920, fixedScale, 59940), true},
        {"60.00 Hz where 59.94 was asked", outputAt(1920, 1.2, 60000), false},
        {"another place", outputAt(0, 1.2, 59940), false},
        {"another scale", outputAt(1920, 1.25, 59940), false},
        {"turned", turned, false},
        {"switched off", disabled, false},
    };
    for (const auto& [what, state, ours] : rows)
        EXPECT_EQ(KdeCompositor::fulfils(state, wanted), ours) << what;

    // Off is off, whatever mode and place the output keeps.
    KdeCompositor::Expected off = KdeCompositor::expectedOf(disabled);
    KdeOutputDevice::State elsewhere = disabled;
    elsewhere.x = 3840;
    elsewhere.currentMode = 1;
    EXPECT_TRUE(KdeCompositor::fulfils(elsewhere, off));
}
