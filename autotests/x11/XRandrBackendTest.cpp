#include "display/platform/x11/XRandrBackend.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/x11/RandrLayout.h"

#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Status) collide with its names.
#include <X11/extensions/Xrandr.h>

#include <array>
#include <cstdlib>
#include <string>
#include <tuple>

TEST(XRandrBackend, RefreshIsDotClockOverTotalsRoundedToWholeHertz)
{
    // What, dot clock, horizontal and vertical totals, flags, hertz.
    const std::tuple<const char*, unsigned long, unsigned, unsigned, unsigned long, uint32_t>
        rows[] = {
            {"1920x1080 CVT", 173000000, 2576, 1120, 0, 60},        // 59.96 Hz
            {"59.5 rounds up", 119000000, 2000, 1000, 0, 60},       // 59.5 Hz
            {"double scan", 25175000, 800, 262, RR_DoubleScan, 60}, // 320x240 doubled
            {"interlace", 74250000, 2200, 1125, RR_Interlace, 60},  // 1080i
            {"both", 74250000, 2200, 1125, RR_Interlace | RR_DoubleScan, 30},
            {"no horizontal total", 74250000, 0, 1125, 0, 0},
            {"no vertical total", 74250000, 2200, 0, 0, 0},
        };
    for (const auto& [what, dotClock, hTotal, vTotal, flags, hertz] : rows)
        EXPECT_EQ(RandrLayout::refreshRate(dotClock, hTotal, vTotal, flags), hertz) << what;
}

// The default choice leaves X11 alone in a Wayland session or without a
// server it can open, and says why.
TEST(XRandrBackend, NoUsableServerMeansAnotherBackendAndAReason)
{
    // DISPLAY, WAYLAND_DISPLAY and XDG_SESSION_TYPE, and what the reason names.
    const std::pair<std::array<const char*, 3>, const char*> rows[] = {
        {{":0", "wayland-0", nullptr}, "WAYLAND_DISPLAY=wayland-0"},
        {{":0", nullptr, "wayland"}, "XDG_SESSION_TYPE=wayland"},
        {{":987", nullptr, "x11"}, ":987"},
        {{nullptr, nullptr, "tty"}, "DISPLAY"},
    };
    // Nothing else in this program reads the environment: no need to restore it.
    const char* names[] = {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"};
    for (const auto& [values, because] : rows) {
        for (int i = 0; i < 3; ++i)
            values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
        std::string reason;
        const auto backend = DisplayPlatform::createDefault(&reason);
        EXPECT_TRUE(backend && backend->name() != "x11") << because;
        EXPECT_NE(reason.find(because), std::string::npos) << reason;
    }
}
