// The attended tests driven through a recording host on a simulated desk:
// every way out of a run (result, requests, a single progress 100 with its
// text and report), what each pattern test puts together (texts, window
// class, mode, placement, system-event word, time-out) and which displays
// the procedural ones accept.

#include "autotests/display/DisplayTestSupport.h"
#include "autotests/support/RecordingHost.h"
#include "autotests/support/WindowSpy.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/platform/ModeRecord.h"
#include "display/platform/sim/SimulatedDesk.h"
#include "module/Keys.h"
#include "module/Test.h"
#include "module/TestResult.h"
#include "tests/BlackPurityTest.h"
#include "tests/BluePurityTest.h"
#include "tests/ColorTransitionTest.h"
#include "tests/GeneralDisplayInteractiveTest.h"
#include "tests/GreenPurityTest.h"
#include "tests/InvertedMonochromaticMeshTest.h"
#include "tests/MonochromaticMeshTest.h"
#include "tests/RedPurityTest.h"
#include "tests/SharpnessTest.h"
#include "tests/WhitePurityTest.h"
#include "widgets/DisplayInteractiveWidget.h"
#include "widgets/WindowResult.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

namespace {
using namespace Keys;
template <typename T> std::shared_ptr<AbstractAttendedDisplayTest> make()
{
    return std::make_shared<T>(ItemId(9, 1, 1));
}

// Name, description, check and own time-out key of a test.
#define KEYS(NAME, DESCRIPTION, CHECK)                                                             \
    DISPLAY_##NAME##_TEST, DISPLAY_##DESCRIPTION##_DESCRIPTION, DISPLAY_##CHECK##_CHECK,           \
        CSAT_TEST_TIMEOUT_DISPLAY_##NAME##_TEST

const char* const Plain = "DisplayWidget";
const uint32_t NoMode = 0xFFFFFFFF;

SettingsMap csat(std::map<std::string, std::string> values)
{
    return {{CSAT, std::move(values)}};
}

// What a request showed: title, text, presentation, answer set, window.
auto shape(const HostEvent& r)
{
    return std::make_tuple(r.title, r.text, r.presentation, r.answerSet, r.carriesWindow);
}

const std::string& EventKey =
    TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED;
const std::string& InputKey =
    THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_APPLICATION_COULD_NOT_RECOGNIZE_THE_INPUT_TYPE;
using Strings = std::vector<std::string>;
using H = RecordingHost&;

const RecordingHost::Action Stop = [](H h) { h.setStopRequested(true); };
const auto event = [](uint32_t word) { return [word](H h) { h.setSystemEvent(word); }; };

// One simulated desk for every case, its displays side by side: the panel
// under test (digital, 1920x1080 native, at (1920, -200), can also run
// 1280x1024), then the same panel turned, analog, with a bad checksum, at
// another mode, without EDID, and without a readable mode.
struct Desk
{
    Desk()
    {
        const std::vector<uint8_t> good = EdidBlock().bytes;
        const auto add = [&](const std::vector<uint8_t>& edid) -> SimulatedDisplay& {
            const int n = int(desk.displays().size());
            const std::string id = std::to_string(n);
            return desk.display("DP-" + id).at(0, 1080 * n).withEdid(edid).modelCode("SIM000" + id);
        };
        add(good).mode(1920, 1080).current(0).mode(1280, 1024).at(1920, -200);
        add(good).mode(1080, 1920).current(0);
        add(EdidBlock().set(20, 0x08).fixChecksum().bytes).mode(1920, 1080).current(0);
        add(EdidBlock().set(127, 0).bytes).mode(1920, 1080).current(0);
        add(good).mode(1280, 1024).current(0);
        add(good).withoutEdid().mode(1920, 1080).current(0);
        add(good).mode(1920, 1080).withoutCurrentMode();
        installed = std::make_unique<InstalledDesk>(desk);
        manager.refresh();
    }
    SystemComponent* at(uint32_t index) { return manager.componentAt(index); }

    SimulatedDesk desk;
    std::unique_ptr<InstalledDesk> installed;
    DisplayInterfaceComponentManagerWindows manager{ItemId(9, 0, 0)};
};
} // namespace

TEST(AttendedFlow, EveryWayOutSendsOneProgress100)
{
    Desk desk;
    SystemComponent* display = desk.at(0);
    SystemComponent* modeless = desk.at(6);
    RedPurityTest red(ItemId(9, 1, 1));
    SharpnessTest sharpness(ItemId(9, 1, 9));
    red.configure(csat({{CSAT_TEST_TIMEOUT, "0"}}), nullptr); // windows close at once
    sharpness.configure(csat({{CSAT_TEST_TIMEOUT, "0"}}), nullptr);
    GeneralDisplayInteractiveTest pick(ItemId(9, 1, 11)); // the user picks a digit
    // The user switches the panel to its other mode (index 1) mid-run.
    const ModeRecord other{1280, 1024, 32, 60, 1, 0};
    const auto switchTo1280 = [&](H) {
        desk.installed->backend().changeDisplaySettings("DP-0", &other);
    };
    WindowSpy spy; // the user picks the right digit at once
    spy.onShown = [](DisplayWidget* w) {
        if (qobject_cast<DisplayInteractiveWidget*>(w))
            QMetaObject::invokeMethod(w, "interact_correct");
    };
    const struct
    {
        const char* name;
        ::Test& test;
        std::function<void(H)> script;
        uint32_t result;
        size_t requests;
        std::string report;
    } rows[] = {
        {"yes", red, [](H h) { h.answer(1).runWindow().answer(3); }, Passed, 3, ""},
        {"no", red, [](H h) { h.answer(1).answer(Escape).answer(4); }, Failed, 3,
         DISPLAY_ATTENDED_TEST_FAILED},
        {"check cancelled", red, [](H h) { h.answer(1).answer(0).answer(1); }, Aborted, 3, ""},
        {"start declined", red, [](H h) { h.answer(2); }, Aborted, 1, ""},
        {"stopped before", red, [](H h) { h.setStopRequested(true); }, Aborted, 0, ""},
        {"stop in start", red, [](H h) { h.answer(1, Stop); }, Aborted, 1, ""},
        {"stop in window", red, [](H h) { h.answer(1).runWindow(Stop); }, Aborted, 2, ""},
        {"stop in check", red, [](H h) { h.answer(1).runWindow().answer(3, Stop); }, Aborted, 3,
         ""},
        {"unmasked events", red, [](H h) { h.answer(1).runWindow().answer(3, event(0xFFFFFE04u)); },
         Passed, 3, ""},
        {"event in check", red, [](H h) { h.answer(1).runWindow().answer(3, event(0x201)); },
         Aborted, 3, EventKey},
        {"no input type", red, [](H h) { h.setInputTypeRecognized(false); }, NotPerformed, 0,
         InputKey},
        {"no sink", red, [](H h) { h.dropMessageSink(); }, NotRun, 0, ""},
        {"no event word", red, [](H h) { h.dropSystemEventWord(); }, NotRun, 0, ""},
        {"no component", red, [](H h) { h.setComponent(nullptr); }, NotRun, 0, ""},
        {"pick right", pick, [](H h) { h.answer(1).runWindow(); }, Passed, 2, ""},
        {"pick wrong", pick, [](H h) { h.answer(1).answer(Wrong); }, Failed, 2,
         DISPLAY_GENERAL_DISPLAY_INTERACTIVE_FAILED},
        // A system event seen by the window is reported only while it lasts.
        {"pick event", pick, [](H h) { h.answer(1).answer(SystemEvent, event(0x10)); }, Aborted, 2,
         EventKey},
        {"pick event gone", pick, [](H h) { h.answer(1).answer(SystemEvent); }, Aborted, 2, ""},
        {"pick declined", pick, [](H h) { h.answer(4); }, Aborted, 1, ""},
        {"no mode", red, [modeless](H h) { h.setComponent(modeless).answer(1).answer(3); }, Passed,
         2, ""},
        {"pick, no mode", pick, [modeless](H h) { h.setComponent(modeless).answer(1); }, Aborted, 1,
         ""},
        // A component no longer supported ends the run silently.
        {"mode changed", sharpness, [&](H h) { h.answer(1).runWindow().answer(3, switchTo1280); },
         Aborted, 3, ""},
    };
    for (const auto& row : rows) {
        RecordingHost h(display);
        h.setEventFilter(&spy);
        row.script(h);
        EXPECT_EQ(row.test.run(&h), row.result) << row.name;
        EXPECT_EQ(h.requests().size(), row.requests) << row.name;
        EXPECT_EQ(h.countProgress(100), 1) << row.name;
        EXPECT_EQ(h.progressTexts().back(), row.report) << row.name;
        EXPECT_EQ(h.messages(), row.report.empty() ? Strings{} : Strings{row.report}) << row.name;
    }
    // Every window covered the display as it was when its run started.
    for (const WindowSpy::Shown& shown : spy.shown)
        EXPECT_TRUE(shown.geometry == QRect(1920, -200, 1920, 1080) &&
                    (shown.className != "DisplayInteractiveWidget" ||
                     (shown.mode == NoMode && shown.systemEventWord && !shown.hasTimeout)));
    // The interactive test reads only the general time-out.
    pick.configure(csat({{CSAT_TEST_TIMEOUT, "30"},
                         {CSAT_TEST_TIMEOUT + "_DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST", "4"}}),
                   nullptr);
    EXPECT_EQ(pick.displayTimeout(), 30);
    // Without a feedback channel nothing at all can be sent.
    RecordingHost deaf(display);
    EXPECT_EQ(red.run(&deaf.dropFeedbackChannel()), NotRun);
    EXPECT_TRUE(deaf.events().empty());
    EXPECT_EQ(red.run(nullptr), NotRun);
    EXPECT_EQ(pick.run(nullptr), NotRun);
    // A run stopped while its window was up leaves no window behind.
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<DisplayWidget*>(widget), nullptr);
}

TEST(PatternTests, TextsWindowAndTimeoutOfEachTest)
{
    const struct
    {
        std::shared_ptr<AbstractAttendedDisplayTest> test;
        std::string name, description, check, timeoutKey;
        const char* windowClass;
        uint32_t mode;
        bool polls, procedural;
    } rows[] = {
        {make<RedPurityTest>(), KEYS(RED_PURITY, RED_PURITY, GENERAL_PURITY), Plain, 2, 1, 0},
        {make<GreenPurityTest>(), KEYS(GREEN_PURITY, GREEN_PURITY, GENERAL_PURITY), Plain, 3, 1, 0},
        {make<BluePurityTest>(), KEYS(BLUE_PURITY, BLUE_PURITY, GENERAL_PURITY), Plain, 4, 1, 0},
        {make<BlackPurityTest>(), KEYS(BLACK_PURITY, BLACK_PURITY, GENERAL_PURITY), Plain, 0, 1, 0},
        {make<WhitePurityTest>(), KEYS(WHITE_PURITY, WHITE_PURITY, GENERAL_PURITY), Plain, 1, 1, 0},
        {make<ColorTransitionTest>(), KEYS(COLOR_TRANSITION, COLOR_TRANSITION, COLOR_TRANSITION),
         "DisplayColorTransitionWindow", NoMode, 0, 0},
        {make<MonochromaticMeshTest>(),
         KEYS(MONOCHROMATIC_MESH, MONOCHROMATIC_MESH, MONOCHROMATIC_MESH), Plain, 0, 1, 1},
        {make<InvertedMonochromaticMeshTest>(),
         KEYS(INVERTED_MONOCHROMATIC_MESH, MONOCHROMATIC_MESH, MONOCHROMATIC_MESH), Plain, 1, 1, 1},
        {make<SharpnessTest>(), KEYS(SHARPNESS, SHARPNESS, SHARPNESS), Plain, NoMode, 0, 1},
    };
    Desk desk;
    for (const auto& row : rows) {
        const auto& test = row.test;
        EXPECT_EQ(test->displayTimeout(), 5) << row.name;
        // Bad values throw and leave the time-out as it was.
        test->configure(csat({{CSAT_TEST_TIMEOUT, "20"}}), nullptr);
        EXPECT_EQ(test->displayTimeout(), 20) << row.name;
        EXPECT_THROW(test->configure(csat({{row.timeoutKey, "abc"}}), nullptr),
                     std::invalid_argument);
        EXPECT_EQ(test->displayTimeout(), 20) << row.name;
        // Its own key wins over the general one; 0 s closes the window at once.
        test->configure(csat({{row.timeoutKey, "0"}, {CSAT_TEST_TIMEOUT, "9"}}), nullptr);
        EXPECT_EQ(test->displayTimeout(), 0) << row.name;

        WindowSpy spy;
        RecordingHost host(desk.at(0));
        host.setEventFilter(&spy);
        EXPECT_EQ(test->run(&host.answer(1).runWindow().answer(3)), Passed) << row.name;
        EXPECT_EQ(host.progressPercents(), (std::vector<int>{0, 50, 100})) << row.name;
        const auto requests = host.requests();
        ASSERT_EQ(requests.size(), 3u) << row.name;
        EXPECT_EQ(shape(requests[0]), std::make_tuple(row.name, row.description, 1u, 0u, false));
        EXPECT_EQ(shape(requests[1]), std::make_tuple(std::string(), std::string(), 0u, 3u, true));
        EXPECT_EQ(shape(requests[2]), std::make_tuple(row.name, row.check, 1u, 2u, false));

        ASSERT_EQ(spy.shown.size(), 1u) << row.name;
        const WindowSpy::Shown& shown = spy.shown[0];
        EXPECT_TRUE(shown.className == row.windowClass && shown.mode == row.mode &&
                    shown.geometry == QRect(1920, -200, 1920, 1080) &&
                    shown.systemEventWord == (row.polls ? host.systemEventWordAddress() : nullptr))
            << row.name;

        // Procedural tests need a digital panel with a valid EDID at its native
        // resolution, turned or not (the first two displays); others run anywhere.
        for (uint32_t i = 0; i < 7; ++i)
            EXPECT_EQ(test->supportsComponent(desk.at(i)), !row.procedural || i < 2)
                << row.name << i;
    }
}
