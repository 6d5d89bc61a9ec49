// The common flow of the attended tests, driven through a recording host:
// which requests are made, which progress and messages are sent, and which
// result comes back, on every way out of a run.

#include "autotests/support/RecordingHost.h"
#include "autotests/support/WindowSpy.h"
#include "autotests/tests/OneDisplayDesk.h"
#include "display/SystemComponent.h"
#include "module/Keys.h"
#include "module/TestResult.h"
#include "module/TestWithDeviceHint.h"
#include "tests/RedPurityTest.h"
#include "widgets/WindowResult.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <functional>

namespace {
const std::string Empty;
// Literal keys: the key constants may not exist yet when this is built.
const SettingsMap QuickWindows = {{"CSAT", {{"CSAT_TEST_TIMEOUT", "0"}}}};
using Strings = std::vector<std::string>;

struct Flow : ::testing::Test
{
    void SetUp() override { red.configure(QuickWindows, nullptr); }

    // A host for one run on the panel; windows close at once.
    RecordingHost& host()
    {
        hosts.push_back(std::make_unique<RecordingHost>(display));
        hosts.back()->setEventFilter(&spy);
        return *hosts.back();
    }

    OneDisplayDesk desk;
    SystemComponent* display = desk.start();
    WindowSpy spy;
    RedPurityTest red{ItemId(9, 1, 1)};
    std::vector<std::unique_ptr<RecordingHost>> hosts;
};
} // namespace

TEST_F(Flow, IncompleteContextIsNotRunWithoutAnyRequest)
{
    const std::vector<std::function<void(RecordingHost&)>> gaps = {
        [](RecordingHost& h) { h.dropFeedbackChannel(); },
        [](RecordingHost& h) { h.dropMessageSink(); },
        [](RecordingHost& h) { h.dropSystemEventWord(); },
        [](RecordingHost& h) { h.setComponent(nullptr); },
    };
    for (size_t i = 0; i < gaps.size(); ++i) {
        RecordingHost& h = host();
        gaps[i](h);
        EXPECT_EQ(red.run(&h), NotRun) << i;
        EXPECT_TRUE(h.requests().empty()) << i;
        // Progress 100 goes out only when there is a channel to send it on.
        EXPECT_EQ(h.progressPercents(), i == 0 ? std::vector<int>{} : std::vector<int>{100});
    }
    EXPECT_EQ(red.run(nullptr), NotRun);
}

TEST_F(Flow, CheckAnswerDecidesTheResult)
{
    const struct
    {
        uint32_t answer, result;
        std::string text;
    } rows[] = {{3, Passed, Empty},
                {4, Failed, Keys::DISPLAY_ATTENDED_TEST_FAILED},
                {1, Aborted, Empty},
                {0, Aborted, Empty},
                {2, Aborted, Empty}};
    for (const auto& row : rows) {
        RecordingHost& h = host().answer(1).runWindow().answer(row.answer);
        EXPECT_EQ(red.run(&h), row.result) << row.answer;
        EXPECT_EQ(h.progressPercents(), (std::vector<int>{0, 50, 100}));
        EXPECT_EQ(h.progressTexts().back(), row.text);
        EXPECT_EQ(h.messages(), row.text.empty() ? Strings{} : Strings{row.text});
        const auto requests = h.requests();
        ASSERT_EQ(requests.size(), 3u);
        const auto shape = [](const HostEvent& r) {
            return std::make_tuple(r.title, r.text, r.presentation, r.answerSet, r.carriesWindow);
        };
        EXPECT_EQ(shape(requests[0]),
                  std::make_tuple(Keys::DISPLAY_RED_PURITY_TEST,
                                  Keys::DISPLAY_RED_PURITY_DESCRIPTION, 1u, 0u, false));
        EXPECT_EQ(shape(requests[1]), std::make_tuple(Empty, Empty, 0u, 3u, true));
        EXPECT_EQ(requests[1].answer, uint32_t(Timeout));
        EXPECT_EQ(shape(requests[2]),
                  std::make_tuple(Keys::DISPLAY_RED_PURITY_TEST, Keys::DISPLAY_GENERAL_PURITY_CHECK,
                                  1u, 2u, false));
    }
}

TEST_F(Flow, FailureThroughTheWrapperAddsTheDeviceHintOnce)
{
    TestWithDeviceHint<RedPurityTest> wrapped(Keys::STANDARD_DEVICE_HINT, ItemId(9, 1, 1));
    wrapped.configure(QuickWindows, nullptr);
    RecordingHost& h = host().answer(1).runWindow().answer(4);
    EXPECT_EQ(wrapped.run(&h), Failed);
    EXPECT_EQ(h.messages(),
              (Strings{Keys::DISPLAY_ATTENDED_TEST_FAILED, Keys::STANDARD_DEVICE_HINT}));
    EXPECT_EQ(h.countProgress(100), 2);
}

TEST_F(Flow, UnconfirmedStartShowsNoPattern)
{
    for (uint32_t answer : {0u, 2u, 3u, 4u}) {
        RecordingHost& h = host().answer(answer);
        EXPECT_EQ(red.run(&h), Aborted);
        EXPECT_EQ(h.requests().size(), 1u);
        EXPECT_EQ(h.progressPercents(), (std::vector<int>{0, 100}));
        EXPECT_TRUE(h.messages().empty());
    }
}

TEST_F(Flow, StopRequestsEndTheRunSilently)
{
    RecordingHost& early = host();
    early.setStopRequested(true);
    EXPECT_EQ(red.run(&early), Aborted);
    EXPECT_EQ(early.progressPercents(), (std::vector<int>{0, 100}));
    EXPECT_TRUE(early.requests().empty());

    // Requested while a question or the window is open: the run ends right
    // after it, and the window is gone with its run.
    const RecordingHost::Action stop = [](RecordingHost& r) { r.setStopRequested(true); };
    for (int step = 0; step < 3; ++step) {
        RecordingHost& h = host();
        h.answer(1, step == 0 ? stop : nullptr);
        h.runWindow(step == 1 ? stop : nullptr);
        h.answer(3, step == 2 ? stop : nullptr);
        EXPECT_EQ(red.run(&h), Aborted) << step;
        EXPECT_EQ(h.requests().size(), size_t(step + 1)) << step;
        EXPECT_EQ(h.countProgress(100), 1) << step;
        EXPECT_EQ(h.progressTexts().back(), Empty) << step;
        EXPECT_TRUE(h.messages().empty()) << step;
    }
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<DisplayWidget*>(widget), nullptr);
}

TEST_F(Flow, OnlyMaskedSystemEventsAbort)
{
    const std::string& key =
        Keys::TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED;
    for (uint32_t quiet : {0x4u, 0x200u, 0xFFFFFE04u}) {
        RecordingHost& h = host().answers({1, 0, 3});
        h.setSystemEvent(quiet);
        EXPECT_EQ(red.run(&h), Passed) << quiet;
    }
    for (int bit : {0, 1, 3, 4, 5, 6, 7, 8}) {
        // The event arrives while the check question is open.
        RecordingHost& h = host().answer(1).runWindow().answer(
            3, [bit](RecordingHost& r) { r.setSystemEvent(0x200u | (1u << bit)); });
        EXPECT_EQ(red.run(&h), Aborted) << bit;
        EXPECT_EQ(h.messages(), Strings{key});
        EXPECT_EQ(h.progressTexts().back(), key);
        EXPECT_EQ(h.countProgress(100), 1);
    }
}

TEST_F(Flow, UnrecognisedInputTypeIsNotPerformed)
{
    const std::string& key = Keys::
        THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_APPLICATION_COULD_NOT_RECOGNIZE_THE_INPUT_TYPE;
    RecordingHost& h = host();
    h.setInputTypeRecognized(false);
    EXPECT_EQ(red.run(&h), NotPerformed);
    EXPECT_EQ(h.messages(), Strings{key});
    EXPECT_EQ(h.progressTexts(), (Strings{Empty, key}));
    EXPECT_EQ(red.reason(), key);
}

TEST_F(Flow, WithoutADisplayModeTheQuestionFollowsDirectly)
{
    // No EDID and no readable mode on the panel; a component that is no
    // display at all. A colour test runs on both, without a window.
    OneDisplayDesk blind;
    blind.panel.withoutEdid().withoutCurrentMode();
    struct Other : SystemComponent
    {
        Other() : SystemComponent("x") {}
        int32_t status(uint32_t) override { return 0; }
        bool isPresent(uint32_t) override { return true; }
        bool isEnabled(uint32_t) override { return true; }
        void enable(uint32_t) override {}
        bool isSupported(uint32_t) override { return true; }
        void setOption(uint32_t) override {}
    } other;
    for (SystemComponent* component : {blind.start(), static_cast<SystemComponent*>(&other)}) {
        RecordingHost& h = host().answers({1, 3});
        h.setComponent(component);
        EXPECT_EQ(red.run(&h), Passed);
        ASSERT_EQ(h.requests().size(), 2u);
        EXPECT_EQ(h.requests()[1].text, Keys::DISPLAY_GENERAL_PURITY_CHECK);
        EXPECT_EQ(h.progressPercents(), (std::vector<int>{0, 50, 100}));
    }
}

TEST_F(Flow, EscapeOnThePatternStillAsksTheQuestion)
{
    RedPurityTest slow(ItemId(9, 1, 1)); // 5 s: only Escape ends it quickly
    spy.onShown = [](DisplayWidget* window) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window, &escape);
    };
    RecordingHost& h = host().answer(1).runWindow().answer(3);
    EXPECT_EQ(slow.run(&h), Passed);
    ASSERT_EQ(h.requests().size(), 3u);
    EXPECT_EQ(h.requests()[1].answer, uint32_t(Escape));
}
