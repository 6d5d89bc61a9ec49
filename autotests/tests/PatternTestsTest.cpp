// What each pattern test puts together: its texts, its window (class, mode,
// placement, system-event word) and the time-out it reads; and which displays
// the procedural ones accept.

#include "autotests/support/RecordingHost.h"
#include "autotests/support/WindowSpy.h"
#include "autotests/tests/OneDisplayDesk.h"
#include "module/Keys.h"
#include "module/TestResult.h"
#include "tests/BlackPurityTest.h"
#include "tests/BluePurityTest.h"
#include "tests/ColorTransitionTest.h"
#include "tests/GreenPurityTest.h"
#include "tests/InvertedMonochromaticMeshTest.h"
#include "tests/MonochromaticMeshTest.h"
#include "tests/RedPurityTest.h"
#include "tests/SharpnessTest.h"
#include "tests/WhitePurityTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

namespace {
using namespace Keys;
using Maker = std::function<std::unique_ptr<AbstractAttendedDisplayTest>()>;

template <typename T> Maker maker(int number)
{
    return [number] { return std::make_unique<T>(ItemId(9, 1, number)); };
}

// Name, description, check and own time-out key of a test.
#define KEYS(NAME, DESCRIPTION, CHECK)                                                             \
    DISPLAY_##NAME##_TEST, DISPLAY_##DESCRIPTION##_DESCRIPTION, DISPLAY_##CHECK##_CHECK,           \
        CSAT_TEST_TIMEOUT_DISPLAY_##NAME##_TEST

SettingsMap csat(std::map<std::string, std::string> values)
{
    return {{CSAT, std::move(values)}};
}
} // namespace

TEST(PatternTests, TextsWindowAndTimeoutOfEachTest)
{
    const struct
    {
        Maker make;
        std::string name, description, check, timeoutKey;
        const char* windowClass;
        uint32_t mode;
        bool polls, procedural;
    } rows[] = {
        {maker<RedPurityTest>(1), KEYS(RED_PURITY, RED_PURITY, GENERAL_PURITY), "DisplayWidget", 2,
         true, false},
        {maker<GreenPurityTest>(2), KEYS(GREEN_PURITY, GREEN_PURITY, GENERAL_PURITY),
         "DisplayWidget", 3, true, false},
        {maker<BluePurityTest>(3), KEYS(BLUE_PURITY, BLUE_PURITY, GENERAL_PURITY), "DisplayWidget",
         4, true, false},
        {maker<BlackPurityTest>(4), KEYS(BLACK_PURITY, BLACK_PURITY, GENERAL_PURITY),
         "DisplayWidget", 0, true, false},
        {maker<WhitePurityTest>(5), KEYS(WHITE_PURITY, WHITE_PURITY, GENERAL_PURITY),
         "DisplayWidget", 1, true, false},
        {maker<ColorTransitionTest>(6), KEYS(COLOR_TRANSITION, COLOR_TRANSITION, COLOR_TRANSITION),
         "DisplayColorTransitionWindow", 0xFFFFFFFF, false, false},
        {maker<MonochromaticMeshTest>(7),
         KEYS(MONOCHROMATIC_MESH, MONOCHROMATIC_MESH, MONOCHROMATIC_MESH), "DisplayWidget", 0, true,
         true},
        {maker<InvertedMonochromaticMeshTest>(8),
         KEYS(INVERTED_MONOCHROMATIC_MESH, MONOCHROMATIC_MESH, MONOCHROMATIC_MESH), "DisplayWidget",
         1, true, true},
        {maker<SharpnessTest>(9), KEYS(SHARPNESS, SHARPNESS, SHARPNESS), "DisplayWidget",
         0xFFFFFFFF, false, true},
    };
    for (const auto& row : rows) {
        auto test = row.make();
        EXPECT_EQ(test->displayTimeout(), 5) << row.name;
        // Bad values throw and leave the time-out as it was.
        test->configure(csat({{CSAT_TEST_TIMEOUT, "20"}}), nullptr);
        EXPECT_EQ(test->displayTimeout(), 20) << row.name;
        EXPECT_THROW(test->configure(csat({{row.timeoutKey, "abc"}}), nullptr),
                     std::invalid_argument);
        EXPECT_THROW(test->configure(csat({{row.timeoutKey, "2147483648"}}), nullptr),
                     std::out_of_range);
        EXPECT_EQ(test->displayTimeout(), 20) << row.name;
        // Its own key wins over the general one; 0 s closes the window at once.
        test->configure(csat({{row.timeoutKey, "0"}, {CSAT_TEST_TIMEOUT, "9"}}), nullptr);
        EXPECT_EQ(test->displayTimeout(), 0) << row.name;

        OneDisplayDesk desk;
        desk.panel.at(1920, -200);
        WindowSpy spy;
        RecordingHost host(desk.start());
        host.setEventFilter(&spy);
        host.answer(1).runWindow().answer(3);
        EXPECT_EQ(test->run(&host), Passed) << row.name;
        EXPECT_EQ(host.progressPercents(), (std::vector<int>{0, 50, 100})) << row.name;
        const auto shape = [](const HostEvent& r) {
            return std::make_tuple(r.title, r.text, r.presentation, r.answerSet, r.carriesWindow);
        };
        const auto requests = host.requests();
        ASSERT_EQ(requests.size(), 3u) << row.name;
        EXPECT_EQ(shape(requests[0]), std::make_tuple(row.name, row.description, 1u, 0u, false));
        EXPECT_EQ(shape(requests[1]), std::make_tuple(std::string(), std::string(), 0u, 3u, true));
        EXPECT_EQ(requests[1].answer, uint32_t(Timeout)) << row.name;
        EXPECT_EQ(shape(requests[2]), std::make_tuple(row.name, row.check, 1u, 2u, false));

        ASSERT_EQ(spy.shown.size(), 1u) << row.name;
        EXPECT_EQ(spy.shown[0].className, row.windowClass) << row.name;
        EXPECT_EQ(spy.shown[0].geometry, QRect(1920, -200, 1920, 1080)) << row.name;
        EXPECT_EQ(spy.shown[0].mode, row.mode) << row.name;
        EXPECT_EQ(spy.shown[0].systemEventWord, row.polls ? host.systemEventWordAddress() : nullptr)
            << row.name;

        // Procedural tests refuse an analog display; the others run on it.
        OneDisplayDesk analog;
        analog.panel.withEdid(EdidBlock().set(20, 0x08).fixChecksum().bytes);
        EXPECT_EQ(test->supportsComponent(analog.start()), !row.procedural) << row.name;
    }
}

TEST(PatternTests, ProceduralOnesNeedADigitalPanelWithValidEdidAtItsNativeResolution)
{
    const struct
    {
        const char* name;
        std::function<void(OneDisplayDesk&)> shape;
        bool supported;
    } rows[] = {
        {"native", [](OneDisplayDesk&) {}, true},
        {"turned", [](OneDisplayDesk& d) { d.runs(1080, 1920); }, true},
        {"analog",
         [](OneDisplayDesk& d) { d.panel.withEdid(EdidBlock().set(20, 0x08).fixChecksum().bytes); },
         false},
        {"bad checksum", [](OneDisplayDesk& d) { d.panel.withEdid(EdidBlock().set(127, 0).bytes); },
         false},
        {"other mode", [](OneDisplayDesk& d) { d.runs(1280, 1024); }, false},
        {"square", [](OneDisplayDesk& d) { d.runs(1080, 1080); }, false},
        {"no EDID", [](OneDisplayDesk& d) { d.panel.withoutEdid(); }, false},
        {"no mode", [](OneDisplayDesk& d) { d.panel.withoutCurrentMode(); }, false},
    };
    for (const auto& row : rows) {
        OneDisplayDesk desk;
        row.shape(desk);
        SystemComponent* display = desk.start();
        MonochromaticMeshTest mesh(ItemId(9, 1, 7));
        mesh.configure(csat({{CSAT_TEST_TIMEOUT, "0"}}), nullptr);
        RecordingHost host(display);
        host.answer(1).runWindow().answer(3);
        EXPECT_EQ(mesh.run(&host), row.supported ? Passed : NotPerformed) << row.name;
        EXPECT_EQ(
            host.messages(),
            row.supported
                ? std::vector<std::string>{}
                : std::vector<
                      std::
                          string>{THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED})
            << row.name;
    }
    EXPECT_FALSE(MonochromaticMeshTest(ItemId(9, 1, 7)).supportsComponent(nullptr));
}
