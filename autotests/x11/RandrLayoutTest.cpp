// What the RandR backend reads from the server's answers about CRTCs and
// modes, fed with answers recorded from RandR: turned and reflected CRTCs,
// and the requests of a change, with a server that refuses one of them.

#include "display/platform/x11/RandrLayout.h"

#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Status) collide with its names.
#include <X11/extensions/Xrandr.h>

#include <string>
#include <vector>

namespace {
constexpr unsigned long Crtc0 = 0x3f, Crtc1 = 0x40, Crtc2 = 0x41;
constexpr unsigned long Output0 = 0x43, Output1 = 0x44, Output2 = 0x45;
constexpr unsigned long FullHd = 0x48, Sxga = 0x49;

// Mode infos as the server lists them: unturned, with their timings.
XRRModeInfo modeInfo(unsigned long id, unsigned width, unsigned height, unsigned long dotClock,
                     unsigned hTotal, unsigned vTotal)
{
    XRRModeInfo info{};
    info.id = id;
    info.width = width;
    info.height = height;
    info.dotClock = dotClock;
    info.hTotal = hTotal;
    info.vTotal = vTotal;
    return info;
}

// A CRTC info as the server answers it: the extent on the screen already
// turned by the rotation.
XRRCrtcInfo crtcInfo(int x, int y, unsigned width, unsigned height, unsigned long mode,
                     Rotation rotation, RROutput* outputs)
{
    XRRCrtcInfo info{};
    info.x = x;
    info.y = y;
    info.width = width;
    info.height = height;
    info.mode = mode;
    info.rotation = rotation;
    info.noutput = 1;
    info.outputs = outputs;
    return info;
}

std::string text(const RandrLayout::CrtcSetting& s)
{
    return "crtc " + std::to_string(s.crtc) + " mode " + std::to_string(s.mode) + " +" +
           std::to_string(s.x) + "+" + std::to_string(s.y) + " rotation " +
           std::to_string(s.rotation) + " outputs " + std::to_string(s.outputs.size());
}

// DUMMY0 1920x1080 at 0,0; DUMMY1 a 1280x1024 panel turned to portrait
// right of it (1024x1280 at 1920,0); a third CRTC idle.
class TurnedDesk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        layout.addMode(modeInfo(FullHd, 1920, 1080, 148500000, 2200, 1125));
        layout.addMode(modeInfo(Sxga, 1280, 1024, 108000000, 1688, 1066));
        layout.addCrtc(Crtc0, crtcInfo(0, 0, 1920, 1080, FullHd, RR_Rotate_0, outputs));
        layout.addCrtc(Crtc1, crtcInfo(1920, 0, 1024, 1280, Sxga, RR_Rotate_90, outputs + 1));
        layout.addCrtc(Crtc2, crtcInfo(0, 0, 0, 0, 0, RR_Rotate_0, nullptr));
    }

    // The requests a change makes; the refuse-th (from 1) is refused.
    std::vector<std::string> change(const std::vector<RandrLayout::CrtcSetting>& settings,
                                    bool shrink, int refuse, bool* ok, unsigned maxHeight = 4096)
    {
        std::vector<std::string> log;
        const RandrLayout::Requests requests{[&](unsigned width, unsigned height) {
                                                 log.push_back("screen " + std::to_string(width) +
                                                               "x" + std::to_string(height));
                                                 return int(log.size()) != refuse;
                                             },
                                             [&](const RandrLayout::CrtcSetting& setting) {
                                                 log.push_back(text(setting));
                                                 return int(log.size()) != refuse;
                                             }};
        const RandrLayout::Screen screen{2944, 1280, 320, 200, 8192, maxHeight};
        const std::pair<unsigned, unsigned> firstSeen(3200, 1080);
        *ok = layout.change(settings, screen, shrink ? &firstSeen : nullptr, requests);
        return log;
    }

    RROutput outputs[3] = {Output0, Output1, Output2};
    RandrLayout layout;
};
} // namespace

// Quarter turns swap the mode's width and height; half turns and
// reflections swap nothing.
TEST(RandrLayout, EveryRotationAndReflectionShowsItsModeAndRectangle)
{
    // Rotation and reflection bits, and whether the panel lies on its side.
    const std::pair<Rotation, bool> rows[] = {
        {RR_Rotate_0, false},
        {RR_Rotate_90, true},
        {RR_Rotate_180, false},
        {RR_Rotate_270, true},
        {RR_Rotate_0 | RR_Reflect_X, false},
        {RR_Rotate_90 | RR_Reflect_X, true},
        {RR_Rotate_180 | RR_Reflect_X, false},
        {RR_Rotate_270 | RR_Reflect_X, true},
        {RR_Rotate_90 | RR_Reflect_Y, true},
        {RR_Rotate_0 | RR_Reflect_X | RR_Reflect_Y, false},
    };
    RROutput output = Output1;
    for (const auto& [rotation, sideways] : rows) {
        SCOPED_TRACE("rotation bits " + std::to_string(rotation));
        RandrLayout layout;
        layout.addMode(modeInfo(FullHd, 1920, 1080, 148500000, 2200, 1125));
        const unsigned width = sideways ? 1080 : 1920, height = sideways ? 1920 : 1080;
        layout.addCrtc(Crtc1, crtcInfo(1920, 0, width, height, FullHd, rotation, &output));

        ModeRecord mode;
        ASSERT_TRUE(layout.modeRecord(FullHd, layout.crtcs.at(Crtc1).rotation, 24, mode));
        EXPECT_EQ(std::make_tuple(mode.width, mode.height, mode.frequency, mode.bitsPerPixel,
                                  mode.nativeId),
                  std::make_tuple(width, height, 60u, 24u, uint64_t(FullHd)));
        Rect rect;
        ASSERT_TRUE(layout.rectangle(Crtc1, rect));
        EXPECT_EQ(std::make_tuple(rect.left, rect.top, rect.right, rect.bottom),
                  std::make_tuple(1920, 0, 1920 + int(width), int(height)));
        EXPECT_EQ(layout.extent({}), std::make_pair(1920 + width, height));
    }
    RandrLayout empty;
    ModeRecord mode;
    Rect rect;
    EXPECT_FALSE(empty.modeRecord(FullHd, RR_Rotate_0, 24, mode) || empty.rectangle(Crtc1, rect));
}

// The portrait panel switched to 1920x1080 stays turned and needs a screen
// 1920 high: the screen grows before the CRTC changes, or nothing happens
// when the screen cannot grow that far.
TEST_F(TurnedDesk, ATurnedModeGrowsTheScreenFirstAndKeepsTheRotation)
{
    RandrLayout::CrtcSetting setting = layout.current(Crtc1);
    EXPECT_EQ(text(setting), "crtc 64 mode 73 +1920+0 rotation 2 outputs 1");
    setting.mode = FullHd;
    bool ok = false;
    EXPECT_EQ(change({setting}, false, 0, &ok),
              (std::vector<std::string>{"screen 3000x1920",
                                        "crtc 64 mode 72 +1920+0 rotation 2 outputs 1"}));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(change({setting}, false, 0, &ok, 1800).empty());
    EXPECT_FALSE(ok);
}

// Restoring sets the first-seen mode, position and rotation, then brings
// the screen back to its first size; a refusal at any step undoes the
// steps before it in reverse order and leaves the screen as it was.
TEST_F(TurnedDesk, ARefusedChangeIsUndoneInReverseOrder)
{
    RandrLayout::CrtcSetting upright{Crtc1, Sxga, 1920, 0, RR_Rotate_0, {Output1}};
    RandrLayout::CrtcSetting off{Crtc0, 0, 0, 0, RR_Rotate_0, {}};
    const std::string restored = "crtc 64 mode 73 +1920+0 rotation 1 outputs 1";
    const std::string turnedBack = "crtc 64 mode 73 +1920+0 rotation 2 outputs 1";
    const std::string offText = "crtc 63 mode 0 +0+0 rotation 1 outputs 0";
    const std::string onAgain = "crtc 63 mode 72 +0+0 rotation 1 outputs 1";
    // Which request is refused, and the requests made.
    const std::string grow = "screen 3200x1280", shrink = "screen 3200x1080",
                      asItWas = "screen 2944x1280";
    const std::pair<int, std::vector<std::string>> rows[] = {
        {0, {grow, restored, offText, shrink}},
        {1, {grow}},
        {2, {grow, restored, asItWas}},
        {3, {grow, restored, offText, turnedBack, asItWas}},
        {4, {grow, restored, offText, shrink, onAgain, turnedBack, asItWas}},
    };
    for (const auto& [refuse, requests] : rows) {
        SCOPED_TRACE("refused request " + std::to_string(refuse));
        bool ok = false;
        EXPECT_EQ(change({upright, off}, true, refuse, &ok), requests);
        EXPECT_EQ(ok, refuse == 0);
    }
}
