// The interactive test: its own copy of the attended flow, with the window's
// result as the verdict.

#include "autotests/support/FakeDisplayComponent.h"
#include "autotests/support/RecordingHost.h"
#include "autotests/support/WindowSpy.h"
#include "module/Keys.h"
#include "module/TestResult.h"
#include "tests/GeneralDisplayInteractiveTest.h"
#include "widgets/DisplayInteractiveWidget.h"
#include "widgets/WindowResult.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {
const std::string Empty;

// Clicks the button that carries the given digit, or the first wrong one.
void click(DisplayInteractiveWidget* window, bool right)
{
    QApplication::processEvents(); // lay the new buttons out
    QHBoxLayout* row = window->buttonRow();
    for (int i = 0; i < row->count(); ++i) {
        auto* button = qobject_cast<QPushButton*>(row->itemAt(i)->widget());
        if ((button->text() == QString::number(window->targetDigit())) == right) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
}

struct Interactive : ::testing::Test
{
    FakeDisplayComponent display;
    RecordingHost host{&display};
    WindowSpy spy;
    GeneralDisplayInteractiveTest test{ItemId(9, 1, 11)};

    void SetUp() override { host.setEventFilter(&spy); }
};
} // namespace

TEST_F(Interactive, WindowResultIsTheVerdict)
{
    struct Row
    {
        uint32_t window;
        uint32_t result;
        std::string text;
    };
    const Row rows[] = {{Correct, Passed, Empty},
                        {Wrong, Failed, Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_FAILED},
                        {Escape, Aborted, Empty},
                        {Timeout, Aborted, Empty},
                        {SystemEvent, Aborted, Empty}};
    for (const Row& row : rows) {
        RecordingHost h(&display);
        h.answers({1, row.window});
        EXPECT_EQ(test.run(&h), row.result) << row.window;
        EXPECT_EQ(h.progressPercents(), (std::vector<int>{0, 100})) << row.window;
        EXPECT_EQ(h.progressTexts().back(), row.text);
        EXPECT_EQ(h.messages().size(), row.result == Failed ? 1u : 0u);
        const auto requests = h.requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].title, Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST);
        EXPECT_EQ(requests[0].text, Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_DESCRIPTION);
        EXPECT_TRUE(requests[1].carriesWindow);
    }
}

TEST_F(Interactive, UserPicksTheDigitInTheRealWindow)
{
    display.setMonitorPosition(-1366, 0);
    display.setCurrentMode(1366, 768);
    int clicks = 0;
    spy.onShown = [&clicks](DisplayWidget* window) {
        auto* interactive = static_cast<DisplayInteractiveWidget*>(window);
        click(interactive, false);
        click(interactive, true);
        clicks = 2;
    };
    host.answer(1).runWindow();
    EXPECT_EQ(test.run(&host), Passed);
    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(spy.shown.size(), 1u);
    EXPECT_EQ(spy.shown[0].className, "DisplayInteractiveWidget");
    EXPECT_EQ(spy.shown[0].geometry, QRect(-1366, 0, 1366, 768));
    EXPECT_EQ(spy.shown[0].systemEventWord, host.systemEventWordAddress());
    EXPECT_EQ(spy.shown[0].mode, 0xFFFFFFFFu);
    EXPECT_FALSE(spy.shown[0].hasTimeout);

    RecordingHost twice(&display);
    twice.setEventFilter(&spy);
    spy.onShown = [](DisplayWidget* window) {
        auto* interactive = static_cast<DisplayInteractiveWidget*>(window);
        click(interactive, false);
        click(interactive, false);
    };
    twice.answer(1).runWindow();
    EXPECT_EQ(test.run(&twice), Failed);
    EXPECT_EQ(twice.messages(),
              std::vector<std::string>{Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_FAILED});
}

TEST_F(Interactive, SystemEventInTheWindowIsReportedWhileItLasts)
{
    const std::string& key =
        Keys::TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED;
    for (bool lasts : {true, false}) {
        RecordingHost h(&display);
        h.setEventFilter(&spy);
        spy.onShown = [&h, lasts](DisplayWidget* window) {
            h.setSystemEvent(0x10);
            QMetaObject::invokeMethod(window, "SystemEventCheck");
            if (!lasts)
                h.setSystemEvent(0);
        };
        h.answer(1).runWindow();
        EXPECT_EQ(test.run(&h), Aborted);
        EXPECT_EQ(h.requests().back().answer, uint32_t(SystemEvent));
        EXPECT_EQ(h.messages().size(), lasts ? 1u : 0u);
        EXPECT_EQ(h.progressTexts().back(), lasts ? key : Empty);
        EXPECT_EQ(h.countProgress(100), 1);
    }
}

TEST_F(Interactive, NoWindowWithoutAModeOrAConfirmation)
{
    display.setCurrentModeReadable(false);
    host.answer(1);
    EXPECT_EQ(test.run(&host), Aborted);
    EXPECT_EQ(host.requests().size(), 1u);

    FakeDisplayComponent other;
    RecordingHost declined(&other);
    declined.answer(2);
    EXPECT_EQ(test.run(&declined), Aborted);
    EXPECT_EQ(declined.requests().size(), 1u);
    EXPECT_EQ(declined.progressPercents(), (std::vector<int>{0, 100}));

    RecordingHost noInput(&other);
    noInput.setInputTypeRecognized(false);
    EXPECT_EQ(test.run(&noInput), NotPerformed);
    EXPECT_EQ(
        noInput.messages(),
        std::vector<std::string>{
            Keys::
                THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_APPLICATION_COULD_NOT_RECOGNIZE_THE_INPUT_TYPE});

    RecordingHost stopped(&other);
    stopped.setStopRequested(true);
    EXPECT_EQ(test.run(&stopped), Aborted);
    EXPECT_EQ(stopped.progressPercents(), (std::vector<int>{0, 100}));
    EXPECT_EQ(test.run(nullptr), NotRun);
}

TEST_F(Interactive, ReadsOnlyTheGeneralTimeout)
{
    const SettingsMap settings = {
        {Keys::CSAT,
         {{Keys::CSAT_TEST_TIMEOUT, "30"},
          {"CSAT_TEST_TIMEOUT_DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST", "4"}}}};
    EXPECT_TRUE(test.configure(settings, nullptr));
    EXPECT_EQ(test.displayTimeout(), 30);
    EXPECT_THROW(test.configure({{Keys::CSAT, {{Keys::CSAT_TEST_TIMEOUT, "x"}}}}, nullptr),
                 std::invalid_argument);
    EXPECT_EQ(test.displayTimeout(), 30);
    test.configure({}, nullptr);
    EXPECT_EQ(test.displayTimeout(), 5);
}
