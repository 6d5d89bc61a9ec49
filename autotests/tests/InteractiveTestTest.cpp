// The interactive test: its own copy of the attended flow, with the window's
// result as the verdict.

#include "autotests/support/RecordingHost.h"
#include "autotests/support/WindowSpy.h"
#include "autotests/tests/OneDisplayDesk.h"
#include "module/Keys.h"
#include "module/TestResult.h"
#include "tests/GeneralDisplayInteractiveTest.h"
#include "widgets/DisplayInteractiveWidget.h"
#include "widgets/WindowResult.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {
const std::string Empty;
using Strings = std::vector<std::string>;

// Clicks the button of the shown digit, or a wrong one.
void click(DisplayWidget* window, bool right)
{
    auto* interactive = static_cast<DisplayInteractiveWidget*>(window);
    QApplication::processEvents(); // lay the buttons of a new turn out
    QHBoxLayout* row = interactive->buttonRow();
    for (int i = 0; i < row->count(); ++i) {
        auto* button = qobject_cast<QPushButton*>(row->itemAt(i)->widget());
        if ((button->text() == QString::number(interactive->targetDigit())) == right) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
}
} // namespace

TEST(InteractiveTest, WindowResultIsTheVerdict)
{
    OneDisplayDesk desk;
    SystemComponent* display = desk.start();
    GeneralDisplayInteractiveTest test(ItemId(9, 1, 11));
    const struct
    {
        uint32_t window, result;
        std::string text;
    } rows[] = {{Correct, Passed, Empty},
                {Wrong, Failed, Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_FAILED},
                {Escape, Aborted, Empty},
                {Timeout, Aborted, Empty},
                {SystemEvent, Aborted, Empty}};
    for (const auto& row : rows) {
        RecordingHost h(display);
        h.answers({1, row.window});
        EXPECT_EQ(test.run(&h), row.result) << row.window;
        EXPECT_EQ(h.progressPercents(), (std::vector<int>{0, 100})) << row.window;
        EXPECT_EQ(h.progressTexts().back(), row.text);
        EXPECT_EQ(h.messages(), row.text.empty() ? Strings{} : Strings{row.text});
        const auto requests = h.requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].title, Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST);
        EXPECT_EQ(requests[0].text, Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_DESCRIPTION);
        EXPECT_TRUE(requests[1].carriesWindow);
    }
    // No confirmation, no input, a stop: no window.
    RecordingHost declined(display);
    declined.answer(2);
    RecordingHost noInput(display);
    noInput.setInputTypeRecognized(false);
    RecordingHost stopped(display);
    stopped.setStopRequested(true);
    EXPECT_EQ(test.run(&declined), Aborted);
    EXPECT_EQ(test.run(&noInput), NotPerformed);
    EXPECT_EQ(test.run(&stopped), Aborted);
    for (RecordingHost* h : {&declined, &noInput, &stopped}) {
        EXPECT_EQ(h->progressPercents(), (std::vector<int>{0, 100}));
        EXPECT_LE(h->requests().size(), 1u);
    }
    EXPECT_EQ(test.run(nullptr), NotRun);
}

TEST(InteractiveTest, UserPicksTheDigitInTheRealWindow)
{
    OneDisplayDesk desk;
    desk.panel.at(-1366, 0);
    desk.runs(1366, 768);
    SystemComponent* display = desk.start();
    GeneralDisplayInteractiveTest test(ItemId(9, 1, 11));
    WindowSpy spy;
    spy.onShown = [](DisplayWidget* window) {
        click(window, false);
        click(window, true);
    };
    RecordingHost h(display);
    h.setEventFilter(&spy);
    h.answer(1).runWindow();
    EXPECT_EQ(test.run(&h), Passed);
    ASSERT_EQ(spy.shown.size(), 1u);
    EXPECT_EQ(spy.shown[0].className, "DisplayInteractiveWidget");
    EXPECT_EQ(spy.shown[0].geometry, QRect(-1366, 0, 1366, 768));
    EXPECT_EQ(spy.shown[0].systemEventWord, h.systemEventWordAddress());
    EXPECT_EQ(spy.shown[0].mode, 0xFFFFFFFFu);
    EXPECT_FALSE(spy.shown[0].hasTimeout);

    // Without a readable mode there is no window, and no verdict.
    OneDisplayDesk blind;
    blind.panel.withoutCurrentMode();
    RecordingHost unseen(blind.start());
    unseen.answer(1);
    EXPECT_EQ(test.run(&unseen), Aborted);
    EXPECT_EQ(unseen.requests().size(), 1u);
}

TEST(InteractiveTest, SystemEventInTheWindowIsReportedWhileItLasts)
{
    OneDisplayDesk desk;
    SystemComponent* display = desk.start();
    GeneralDisplayInteractiveTest test(ItemId(9, 1, 11));
    const std::string& key =
        Keys::TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED;
    for (bool lasts : {true, false}) {
        RecordingHost h(display);
        WindowSpy spy;
        spy.onShown = [&h, lasts](DisplayWidget* window) {
            h.setSystemEvent(0x10);
            QMetaObject::invokeMethod(window, "SystemEventCheck");
            if (!lasts)
                h.setSystemEvent(0);
        };
        h.setEventFilter(&spy);
        h.answer(1).runWindow();
        EXPECT_EQ(test.run(&h), Aborted);
        EXPECT_EQ(h.requests().back().answer, uint32_t(SystemEvent));
        EXPECT_EQ(h.messages(), lasts ? Strings{key} : Strings{});
        EXPECT_EQ(h.progressTexts().back(), lasts ? key : Empty);
        EXPECT_EQ(h.countProgress(100), 1);
    }
}

TEST(InteractiveTest, ReadsOnlyTheGeneralTimeout)
{
    GeneralDisplayInteractiveTest test(ItemId(9, 1, 11));
    EXPECT_TRUE(
        test.configure({{Keys::CSAT,
                         {{Keys::CSAT_TEST_TIMEOUT, "30"},
                          {"CSAT_TEST_TIMEOUT_DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST", "4"}}}},
                       nullptr));
    EXPECT_EQ(test.displayTimeout(), 30);
    EXPECT_THROW(test.configure({{Keys::CSAT, {{Keys::CSAT_TEST_TIMEOUT, "x"}}}}, nullptr),
                 std::invalid_argument);
    EXPECT_EQ(test.displayTimeout(), 30);
    test.configure({}, nullptr);
    EXPECT_EQ(test.displayTimeout(), 5);
}
