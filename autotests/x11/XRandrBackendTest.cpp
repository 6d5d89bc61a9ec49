#include "display/platform/x11/XRandrBackend.h"

#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Status) collide with its names.
#include <X11/extensions/Xrandr.h>

#include <cstdlib>

namespace {
struct RefreshRow
{
    const char* what;
    unsigned long dotClock;
    unsigned hTotal;
    unsigned vTotal;
    unsigned long flags;
    uint32_t hertz;
};
} // namespace

TEST(XRandrBackend, RefreshIsDotClockOverTotalsRoundedToWholeHertz)
{
    const RefreshRow rows[] = {
        {"1920x1080 CVT", 173000000, 2576, 1120, 0, 60},        // 59.96 Hz
        {"1280x1024 75 Hz", 135000000, 1688, 1066, 0, 75},      // 75.02 Hz
        {"59.5 rounds up", 119000000, 2000, 1000, 0, 60},       // 59.5 Hz
        {"double scan", 25175000, 800, 262, RR_DoubleScan, 60}, // 320x240 doubled
        {"interlace", 74250000, 2200, 1125, RR_Interlace, 60},  // 1080i
        {"both", 74250000, 2200, 1125, RR_Interlace | RR_DoubleScan, 30},
        {"no horizontal total", 74250000, 0, 1125, 0, 0},
        {"no vertical total", 74250000, 2200, 0, 0, 0},
    };
    for (const RefreshRow& row : rows)
        EXPECT_EQ(XRandrBackend::refreshRate(row.dotClock, row.hTotal, row.vTotal, row.flags),
                  row.hertz)
            << row.what;
}

TEST(XRandrBackend, OpeningFailsWithAReasonInsteadOfEndingTheProcess)
{
    std::string error;
    EXPECT_EQ(XRandrBackend::open(":987", &error), nullptr);
    EXPECT_NE(error.find(":987"), std::string::npos) << error;

    const char* saved = std::getenv("DISPLAY");
    const std::string keep = saved ? saved : "";
    unsetenv("DISPLAY");
    error.clear();
    EXPECT_EQ(XRandrBackend::open(nullptr, &error), nullptr);
    EXPECT_FALSE(error.empty());
    if (saved)
        setenv("DISPLAY", keep.c_str(), 1);
}
