// Every way out of an attended run, driven through a recording host: which
// result comes back, how many requests were made, and that exactly one
// progress 100 goes out with the right text and report.

#include "autotests/support/RecordingHost.h"
#include "autotests/support/WindowSpy.h"
#include "autotests/tests/OneDisplayDesk.h"
#include "display/DisplayInterfaceComponent.h"
#include "display/DisplayMode.h"
#include "module/Keys.h"
#include "module/Test.h"
#include "module/TestResult.h"
#include "tests/GeneralDisplayInteractiveTest.h"
#include "tests/RedPurityTest.h"
#include "tests/SharpnessTest.h"
#include "widgets/DisplayInteractiveWidget.h"
#include "widgets/WindowResult.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <functional>

namespace {
const std::string Empty;
const std::string& EventKey =
    Keys::TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED;
const std::string& InputKey =
    Keys::THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_APPLICATION_COULD_NOT_RECOGNIZE_THE_INPUT_TYPE;
using Strings = std::vector<std::string>;
using H = RecordingHost&;
using Script = std::function<void(H)>;

const RecordingHost::Action Stop = [](H h) { h.setStopRequested(true); };
RecordingHost::Action event(uint32_t word)
{
    return [word](RecordingHost& h) { h.setSystemEvent(word); };
}

// Switches the display to another of its modes, as a user might mid-run.
RecordingHost::Action switchTo1280(SystemComponent* display)
{
    return [display](H) {
        std::vector<DisplayMode*> modes;
        static_cast<DisplayInterfaceComponent*>(display)->modes(modes);
        for (DisplayMode* mode : modes)
            if (mode->width() == 1280)
                mode->apply();
    };
}
} // namespace

TEST(AttendedFlow, EveryWayOutSendsOneProgress100)
{
    OneDisplayDesk desk;
    desk.panel.mode(1280, 1024);
    SystemComponent* display = desk.start();
    const SettingsMap quickWindows = {{Keys::CSAT, {{Keys::CSAT_TEST_TIMEOUT, "0"}}}};
    RedPurityTest red(ItemId(9, 1, 1));
    SharpnessTest sharpness(ItemId(9, 1, 9));
    red.configure(quickWindows, nullptr);
    sharpness.configure(quickWindows, nullptr);
    GeneralDisplayInteractiveTest interactive(ItemId(9, 1, 11));
    WindowSpy spy; // the user picks the right digit at once
    spy.onShown = [](DisplayWidget* w) {
        if (qobject_cast<DisplayInteractiveWidget*>(w))
            QMetaObject::invokeMethod(w, "interact_correct");
    };
    const struct
    {
        const char* name;
        ::Test& test;
        Script script;
        uint32_t result;
        size_t requests;
        std::string report;
    } rows[] = {
        {"yes", red, [](H h) { h.answer(1).runWindow().answer(3); }, Passed, 3, Empty},
        {"no", red, [](H h) { h.answer(1).answer(Escape).answer(4); }, Failed, 3,
         Keys::DISPLAY_ATTENDED_TEST_FAILED},
        {"check cancelled", red, [](H h) { h.answer(1).answer(0).answer(1); }, Aborted, 3, Empty},
        {"start declined", red, [](H h) { h.answer(2); }, Aborted, 1, Empty},
        {"stopped before", red, [](H h) { h.setStopRequested(true); }, Aborted, 0, Empty},
        {"stop in description", red, [](H h) { h.answer(1, Stop); }, Aborted, 1, Empty},
        {"stop in window", red, [](H h) { h.answer(1).runWindow(Stop); }, Aborted, 2, Empty},
        {"stop in check", red, [](H h) { h.answer(1).runWindow().answer(3, Stop); }, Aborted, 3,
         Empty},
        {"unmasked events", red, [](H h) { h.answer(1).runWindow().answer(3, event(0xFFFFFE04u)); },
         Passed, 3, Empty},
        {"event in check", red, [](H h) { h.answer(1).runWindow().answer(3, event(0x201)); },
         Aborted, 3, EventKey},
        {"no input type", red, [](H h) { h.setInputTypeRecognized(false); }, NotPerformed, 0,
         InputKey},
        {"no sink", red, [](H h) { h.dropMessageSink(); }, NotRun, 0, Empty},
        {"no event word", red, [](H h) { h.dropSystemEventWord(); }, NotRun, 0, Empty},
        {"no component", red, [](H h) { h.setComponent(nullptr); }, NotRun, 0, Empty},
        {"interactive right", interactive, [](H h) { h.answer(1).runWindow(); }, Passed, 2, Empty},
        {"interactive wrong", interactive, [](H h) { h.answer(1).answer(Wrong); }, Failed, 2,
         Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_FAILED},
        // A system event seen by the window is reported only while it lasts.
        {"interactive event", interactive,
         [](H h) { h.answer(1).answer(SystemEvent, event(0x10)); }, Aborted, 2, EventKey},
        {"interactive event gone", interactive, [](H h) { h.answer(1).answer(SystemEvent); },
         Aborted, 2, Empty},
        {"interactive declined", interactive, [](H h) { h.answer(4); }, Aborted, 1, Empty},
        // A component no longer supported ends the run silently.
        {"mode changed", sharpness,
         [display](H h) { h.answer(1).runWindow().answer(3, switchTo1280(display)); }, Aborted, 3,
         Empty},
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
    for (const WindowSpy::Shown& shown : spy.shown) {
        EXPECT_EQ(shown.geometry, QRect(0, 0, 1920, 1080));
        if (shown.className == "DisplayInteractiveWidget") {
            EXPECT_TRUE(shown.mode == 0xFFFFFFFF && shown.systemEventWord && !shown.hasTimeout);
        }
    }
    // Without a feedback channel nothing at all can be sent.
    RecordingHost deaf(display);
    deaf.dropFeedbackChannel();
    EXPECT_EQ(red.run(&deaf), NotRun);
    EXPECT_TRUE(deaf.events().empty());
    EXPECT_EQ(red.run(nullptr), NotRun);
    EXPECT_EQ(interactive.run(nullptr), NotRun);
    // A run stopped while its window was up leaves no window behind.
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<DisplayWidget*>(widget), nullptr);
}

TEST(AttendedFlow, WithoutAReadableModeThereIsNoWindow)
{
    OneDisplayDesk desk;
    desk.panel.withoutCurrentMode();
    SystemComponent* display = desk.start();
    RecordingHost colour(display), interactive(display);
    // A colour test asks its question anyway; the interactive one has no verdict.
    EXPECT_EQ(RedPurityTest(ItemId(9, 1, 1)).run(&colour.answer(1).answer(3)), Passed);
    EXPECT_EQ(colour.requests().size(), 2u);
    EXPECT_EQ(GeneralDisplayInteractiveTest(ItemId(9, 1, 11)).run(&interactive.answer(1)), Aborted);
    EXPECT_EQ(interactive.requests().size(), 1u);
    EXPECT_EQ(colour.countProgress(100) + interactive.countProgress(100), 2);
}
