// What each of the nine pattern tests puts together: its texts, its window
// (class, mode, placement, system-event word) and the time-out it reads.

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

#include <memory>
#include <stdexcept>

namespace {
struct PatternTest
{
    std::function<std::unique_ptr<AbstractAttendedDisplayTest>()> make;
    std::string name, description, check, timeoutKey;
    const char* windowClass;
    uint32_t mode;
    bool pollsSystemEvents;
    bool procedural;
};

template <typename T>
std::function<std::unique_ptr<AbstractAttendedDisplayTest>()> maker(int number)
{
    return [number] { return std::make_unique<T>(ItemId(9, 1, number)); };
}

const std::vector<PatternTest>& patternTests()
{
    using namespace Keys;
    static const std::vector<PatternTest> tests = {
        {maker<RedPurityTest>(1), DISPLAY_RED_PURITY_TEST, DISPLAY_RED_PURITY_DESCRIPTION,
         DISPLAY_GENERAL_PURITY_CHECK, CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY_TEST, "DisplayWidget",
         2, true, false},
        {maker<GreenPurityTest>(2), DISPLAY_GREEN_PURITY_TEST, DISPLAY_GREEN_PURITY_DESCRIPTION,
         DISPLAY_GENERAL_PURITY_CHECK, CSAT_TEST_TIMEOUT_DISPLAY_GREEN_PURITY_TEST, "DisplayWidget",
         3, true, false},
        {maker<BluePurityTest>(3), DISPLAY_BLUE_PURITY_TEST, DISPLAY_BLUE_PURITY_DESCRIPTION,
         DISPLAY_GENERAL_PURITY_CHECK, CSAT_TEST_TIMEOUT_DISPLAY_BLUE_PURITY_TEST, "DisplayWidget",
         4, true, false},
        {maker<BlackPurityTest>(4), DISPLAY_BLACK_PURITY_TEST, DISPLAY_BLACK_PURITY_DESCRIPTION,
         DISPLAY_GENERAL_PURITY_CHECK, CSAT_TEST_TIMEOUT_DISPLAY_BLACK_PURITY_TEST, "DisplayWidget",
         0, true, false},
        {maker<WhitePurityTest>(5), DISPLAY_WHITE_PURITY_TEST, DISPLAY_WHITE_PURITY_DESCRIPTION,
         DISPLAY_GENERAL_PURITY_CHECK, CSAT_TEST_TIMEOUT_DISPLAY_WHITE_PURITY_TEST, "DisplayWidget",
         1, true, false},
        {maker<ColorTransitionTest>(6), DISPLAY_COLOR_TRANSITION_TEST,
         DISPLAY_COLOR_TRANSITION_DESCRIPTION, DISPLAY_COLOR_TRANSITION_CHECK,
         CSAT_TEST_TIMEOUT_DISPLAY_COLOR_TRANSITION_TEST, "DisplayColorTransitionWindow",
         0xFFFFFFFF, false, false},
        {maker<MonochromaticMeshTest>(7), DISPLAY_MONOCHROMATIC_MESH_TEST,
         DISPLAY_MONOCHROMATIC_MESH_DESCRIPTION, DISPLAY_MONOCHROMATIC_MESH_CHECK,
         CSAT_TEST_TIMEOUT_DISPLAY_MONOCHROMATIC_MESH_TEST, "DisplayWidget", 0, true, true},
        {maker<InvertedMonochromaticMeshTest>(8), DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST,
         DISPLAY_MONOCHROMATIC_MESH_DESCRIPTION, DISPLAY_MONOCHROMATIC_MESH_CHECK,
         CSAT_TEST_TIMEOUT_DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST, "DisplayWidget", 1, true,
         true},
        {maker<SharpnessTest>(9), DISPLAY_SHARPNESS_TEST, DISPLAY_SHARPNESS_DESCRIPTION,
         DISPLAY_SHARPNESS_CHECK, CSAT_TEST_TIMEOUT_DISPLAY_SHARPNESS_TEST, "DisplayWidget",
         0xFFFFFFFF, false, true},
    };
    return tests;
}

SettingsMap csat(std::map<std::string, std::string> values)
{
    return {{Keys::CSAT, std::move(values)}};
}
} // namespace

TEST(PatternTests, RunTheirOwnWindowOnTheDisplayUnderTest)
{
    for (const PatternTest& row : patternTests()) {
        auto test = row.make();
        EXPECT_TRUE(test->isAttended());
        EXPECT_EQ(test->displayTimeout(), 5) << row.name;
        // Its own key wins over the general one; 0 s closes the window at once.
        EXPECT_TRUE(test->configure(csat({{row.timeoutKey, "0"}, {Keys::CSAT_TEST_TIMEOUT, "9"}}),
                                    nullptr));
        EXPECT_EQ(test->displayTimeout(), 0) << row.name;

        OneDisplayDesk desk;
        desk.panel.at(1920, -200);
        WindowSpy spy;
        RecordingHost host(desk.start());
        host.setEventFilter(&spy);
        host.answer(1).runWindow().answer(3);
        EXPECT_EQ(test->run(&host), Passed) << row.name;

        const auto requests = host.requests();
        ASSERT_EQ(requests.size(), 3u) << row.name;
        EXPECT_EQ(requests[0].title, row.name);
        EXPECT_EQ(requests[0].text, row.description);
        EXPECT_EQ(requests[2].title, row.name);
        EXPECT_EQ(requests[2].text, row.check);
        EXPECT_EQ(requests[1].answer, uint32_t(Timeout)) << row.name;

        ASSERT_EQ(spy.shown.size(), 1u) << row.name;
        const WindowSpy::Shown& window = spy.shown[0];
        EXPECT_EQ(window.className, row.windowClass) << row.name;
        EXPECT_EQ(window.geometry, QRect(1920, -200, 1920, 1080)) << row.name;
        EXPECT_EQ(window.mode, row.mode) << row.name;
        EXPECT_EQ(window.systemEventWord,
                  row.pollsSystemEvents ? host.systemEventWordAddress() : nullptr)
            << row.name;
        EXPECT_EQ(window.timeoutSeconds, 0u) << row.name;

        // Procedural tests refuse an analog display; the others run on it.
        OneDisplayDesk analog;
        analog.panel.withEdid(EdidBlock().set(20, 0x08).fixChecksum().bytes);
        EXPECT_EQ(test->supportsComponent(analog.start()), !row.procedural) << row.name;
    }
}

TEST(PatternTests, TimeoutFallsBackFromOwnKeyToGeneralKeyToFive)
{
    for (const PatternTest& row : patternTests()) {
        auto test = row.make();
        test->configure(csat({{Keys::CSAT_TEST_TIMEOUT, "20"}}), nullptr);
        EXPECT_EQ(test->displayTimeout(), 20) << row.name;
        test->configure(csat({{row.timeoutKey, " -3xyz"}}), nullptr);
        EXPECT_EQ(test->displayTimeout(), -3) << row.name;
        // A neighbour's key, a key the module does not read, another section.
        for (const SettingsMap& others :
             {csat({{row.timeoutKey + "X", "7"}, {"CSAT_POPUP_TIMEOUT", "8"}}),
              SettingsMap{{"csat", {{Keys::CSAT_TEST_TIMEOUT, "8"}}}}}) {
            test->configure({{Keys::CSAT, {{Keys::CSAT_TEST_TIMEOUT, "9"}}}}, nullptr);
            test->configure(others, nullptr);
            EXPECT_EQ(test->displayTimeout(), 5) << row.name;
        }
    }
}

TEST(PatternTests, BadTimeoutThrowsAndChangesNothing)
{
    for (const PatternTest& row : patternTests()) {
        auto test = row.make();
        test->configure(csat({{Keys::CSAT_TEST_TIMEOUT, "11"}}), nullptr);
        try {
            test->configure(csat({{row.timeoutKey, "abc"}, {Keys::CSAT_TEST_TIMEOUT, "3"}}),
                            nullptr);
            ADD_FAILURE() << row.name;
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), "invalid stoi argument");
        }
        try {
            test->configure(csat({{row.timeoutKey, "2147483648"}}), nullptr);
            ADD_FAILURE() << row.name;
        } catch (const std::out_of_range& error) {
            EXPECT_STREQ(error.what(), "stoi argument out of range");
        }
        EXPECT_EQ(test->displayTimeout(), 11) << row.name;
    }
}
