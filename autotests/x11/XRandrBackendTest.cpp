#include "display/platform/x11/XRandrBackend.h"
#include "display/platform/DisplayPlatform.h"

#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Status) collide with its names.
#include <X11/extensions/Xrandr.h>

#include <cstdlib>
#include <string>

TEST(XRandrBackend, RefreshIsDotClockOverTotalsRoundedToWholeHertz)
{
    struct Row
    {
        const char* what;
        unsigned long dotClock;
        unsigned hTotal, vTotal;
        unsigned long flags;
        uint32_t hertz;
    };
    const Row rows[] = {
        {"1920x1080 CVT", 173000000, 2576, 1120, 0, 60},        // 59.96 Hz
        {"1280x1024 75 Hz", 135000000, 1688, 1066, 0, 75},      // 75.02 Hz
        {"59.5 rounds up", 119000000, 2000, 1000, 0, 60},       // 59.5 Hz
        {"double scan", 25175000, 800, 262, RR_DoubleScan, 60}, // 320x240 doubled
        {"interlace", 74250000, 2200, 1125, RR_Interlace, 60},  // 1080i
        {"both", 74250000, 2200, 1125, RR_Interlace | RR_DoubleScan, 30},
        {"no horizontal total", 74250000, 0, 1125, 0, 0},
        {"no vertical total", 74250000, 2200, 0, 0, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(XRandrBackend::refreshRate(row.dotClock, row.hTotal, row.vTotal, row.flags),
                  row.hertz)
            << row.what;
}

// The default choice leaves X11 alone in a Wayland session or without a
// server it can open, and says why.
TEST(XRandrBackend, NoUsableServerMeansAnotherBackendAndAReason)
{
    struct Row
    {
        const char* values[3]; // DISPLAY, WAYLAND_DISPLAY, XDG_SESSION_TYPE
        const char* because;
    };
    const Row rows[] = {
        {{":0", "wayland-0", nullptr}, "WAYLAND_DISPLAY=wayland-0"},
        {{":0", nullptr, "wayland"}, "XDG_SESSION_TYPE=wayland"},
        {{":987", nullptr, "x11"}, ":987"},
        {{nullptr, nullptr, "tty"}, "DISPLAY"},
    };
    // Nothing else in this program reads the environment: no need to restore it.
    const char* names[] = {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"};
    for (const Row& row : rows) {
        for (int i = 0; i < 3; ++i)
            row.values[i] ? setenv(names[i], row.values[i], 1) : unsetenv(names[i]);
        std::string reason;
        const auto backend = DisplayPlatform::createDefault(&reason);
        EXPECT_TRUE(backend && backend->name() != "x11") << row.because;
        EXPECT_NE(reason.find(row.because), std::string::npos) << reason;
    }
}
