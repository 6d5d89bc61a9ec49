#include "display/platform/x11/XRandrBackend.h"
#include "display/platform/DisplayPlatform.h"

#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Status) collide with its names.
#include <X11/extensions/Xrandr.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

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

namespace {
// Sets environment variables for one scope and puts the old values back.
class ScopedEnvironment
{
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values)
    {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            m_saved.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
            if (value)
                setenv(name, value, 1);
            else
                unsetenv(name);
        }
    }
    ~ScopedEnvironment()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};
} // namespace

TEST(DisplayPlatformDefault, NeverPicksX11InAWaylandSessionOrWithoutAServer)
{
    struct Row
    {
        const char* display;
        const char* wayland;
        const char* sessionType;
        const char* because;
    };
    const Row rows[] = {
        {":0", "wayland-0", nullptr, "WAYLAND_DISPLAY=wayland-0"},
        {":0", nullptr, "wayland", "XDG_SESSION_TYPE=wayland"},
        {":987", nullptr, "x11", ":987"},
        {nullptr, nullptr, "tty", "DISPLAY"},
    };
    for (const Row& row : rows) {
        ScopedEnvironment environment{{"DISPLAY", row.display},
                                      {"WAYLAND_DISPLAY", row.wayland},
                                      {"XDG_SESSION_TYPE", row.sessionType}};
        std::string reason;
        const auto backend = DisplayPlatform::createDefault(&reason);
        ASSERT_TRUE(backend);
        EXPECT_NE(backend->name(), "x11") << row.because;
        EXPECT_NE(reason.find(row.because), std::string::npos) << reason;
    }
}
