// The common flow of the attended tests, driven through a recording host:
// which requests are made, which progress and messages are sent, and which
// result comes back, on every way out of a run.

#include "autotests/support/FakeDisplayComponent.h"
#include "autotests/support/RecordingHost.h"
#include "autotests/support/WindowSpy.h"
#include "module/Keys.h"
#include "module/TestResult.h"
#include "module/TestWithDeviceHint.h"
#include "tests/MonochromaticMeshTest.h"
#include "tests/RedPurityTest.h"
#include "widgets/WindowResult.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <functional>

namespace {
const std::string Empty;

// A test whose window closes at once, so that windows run for real.
template <typename T> T quickTest(int number)
{
    T test(ItemId(9, 1, number));
    test.configure({{Keys::CSAT, {{Keys::CSAT_TEST_TIMEOUT, "0"}}}}, nullptr);
    return test;
}

struct Flow : ::testing::Test
{
    FakeDisplayComponent display;
    RecordingHost host{&display};
    WindowSpy spy;
    RedPurityTest red = quickTest<RedPurityTest>(1);

    void SetUp() override { host.setEventFilter(&spy); }
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
        RecordingHost incomplete(&display);
        gaps[i](incomplete);
        EXPECT_EQ(red.run(&incomplete), NotRun) << "gap " << i;
        EXPECT_TRUE(incomplete.requests().empty()) << "gap " << i;
        // Progress 100 goes out only when there is a channel to send it on.
        EXPECT_EQ(incomplete.countProgress(100), i == 0 ? 0 : 1) << "gap " << i;
        EXPECT_EQ(incomplete.countProgress(0), 0) << "gap " << i;
    }
    EXPECT_EQ(red.run(nullptr), NotRun);
}

TEST_F(Flow, CheckAnswerDecidesTheResult)
{
    struct Row
    {
        uint32_t answer;
        uint32_t result;
        std::string finalText;
    };
    const Row rows[] = {{3, Passed, Empty},
                        {4, Failed, Keys::DISPLAY_ATTENDED_TEST_FAILED},
                        {1, Aborted, Empty},
                        {0, Aborted, Empty},
                        {2, Aborted, Empty}};
    for (const Row& row : rows) {
        RecordingHost h(&display);
        h.answer(1).runWindow().answer(row.answer);
        EXPECT_EQ(red.run(&h), row.result) << row.answer;
        EXPECT_EQ(h.progressPercents(), (std::vector<int>{0, 50, 100})) << row.answer;
        EXPECT_EQ(h.progressTexts().back(), row.finalText) << row.answer;
        const auto requests = h.requests();
        ASSERT_EQ(requests.size(), 3u);
        EXPECT_EQ(requests[0].title, Keys::DISPLAY_RED_PURITY_TEST);
        EXPECT_EQ(requests[0].text, Keys::DISPLAY_RED_PURITY_DESCRIPTION);
        EXPECT_EQ(requests[0].presentation, 1u);
        EXPECT_EQ(requests[0].answerSet, 0u);
        EXPECT_TRUE(requests[1].carriesWindow);
        EXPECT_EQ(requests[1].title, Empty);
        EXPECT_EQ(requests[1].presentation, 0u);
        EXPECT_EQ(requests[1].answerSet, 3u);
        EXPECT_EQ(requests[1].answer, uint32_t(Timeout));
        EXPECT_EQ(requests[2].text, Keys::DISPLAY_GENERAL_PURITY_CHECK);
        EXPECT_EQ(requests[2].answerSet, 2u);
        const auto expectedMessages = row.result == Failed ? std::vector<std::string>{row.finalText}
                                                           : std::vector<std::string>{};
        EXPECT_EQ(h.messages(), expectedMessages);
    }
}

TEST_F(Flow, FailureThroughTheWrapperAddsTheDeviceHintOnce)
{
    TestWithDeviceHint<RedPurityTest> wrapped(Keys::STANDARD_DEVICE_HINT, ItemId(9, 1, 1));
    wrapped.configure({{Keys::CSAT, {{Keys::CSAT_TEST_TIMEOUT, "0"}}}}, nullptr);
    host.answer(1).runWindow().answer(4);
    EXPECT_EQ(wrapped.run(&host), Failed);
    EXPECT_EQ(host.messages(), (std::vector<std::string>{Keys::DISPLAY_ATTENDED_TEST_FAILED,
                                                         Keys::STANDARD_DEVICE_HINT}));
    EXPECT_EQ(host.countProgress(100), 2);
}

TEST_F(Flow, UnconfirmedStartShowsNoPattern)
{
    for (uint32_t answer : {0u, 2u, 3u, 4u}) {
        RecordingHost h(&display);
        h.answer(answer);
        EXPECT_EQ(red.run(&h), Aborted);
        EXPECT_EQ(h.requests().size(), 1u);
        EXPECT_EQ(h.progressPercents(), (std::vector<int>{0, 100}));
        EXPECT_TRUE(h.messages().empty());
    }
}

TEST_F(Flow, StopRequestsEndTheRunSilently)
{
    host.setStopRequested(true);
    EXPECT_EQ(red.run(&host), Aborted);
    EXPECT_EQ(host.progressPercents(), (std::vector<int>{0, 100}));
    EXPECT_TRUE(host.requests().empty());

    // A stop requested while a question or the window is open: the run ends
    // right after it, with one progress 100 and nothing reported.
    for (int step = 0; step < 3; ++step) {
        RecordingHost h(&display);
        h.setEventFilter(&spy);
        auto stop = [](RecordingHost& r) { r.setStopRequested(true); };
        h.answer(1, step == 0 ? stop : RecordingHost::Action{});
        h.runWindow(step == 1 ? stop : RecordingHost::Action{});
        h.answer(3, step == 2 ? stop : RecordingHost::Action{});
        EXPECT_EQ(red.run(&h), Aborted) << step;
        EXPECT_EQ(h.requests().size(), size_t(step + 1)) << step;
        EXPECT_EQ(h.countProgress(100), 1) << step;
        EXPECT_EQ(h.progressTexts().back(), Empty) << step;
        EXPECT_TRUE(h.messages().empty()) << step;
    }
    // The window was destroyed with its run, whatever the stop did.
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<DisplayWidget*>(widget), nullptr);
}

TEST_F(Flow, OnlyMaskedSystemEventsAbort)
{
    const std::string& key =
        Keys::TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED;
    for (uint32_t word : {0x4u, 0x200u, 0xFFFFFE04u})
        for (uint32_t flipped : {1u, 2u, 8u, 0x10u, 0x20u, 0x40u, 0x80u, 0x100u}) {
            RecordingHost quiet(&display);
            quiet.setSystemEvent(word);
            quiet.answers({1, 0, 3}).setEventFilter(&spy);
            EXPECT_EQ(red.run(&quiet), Passed) << word;

            RecordingHost h(&display);
            h.setSystemEvent(word);
            h.answer(1).runWindow().answer(
                3, [flipped](RecordingHost& r) { r.setSystemEvent(flipped); });
            EXPECT_EQ(red.run(&h), Aborted) << flipped;
            EXPECT_EQ(h.messages(), std::vector<std::string>{key});
            EXPECT_EQ(h.progressTexts().back(), key);
            EXPECT_EQ(h.countProgress(100), 1);
        }
}

TEST_F(Flow, UnrecognisedInputTypeIsNotPerformed)
{
    const std::string& key = Keys::
        THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_APPLICATION_COULD_NOT_RECOGNIZE_THE_INPUT_TYPE;
    host.setInputTypeRecognized(false);
    EXPECT_EQ(red.run(&host), NotPerformed);
    EXPECT_EQ(host.messages(), std::vector<std::string>{key});
    EXPECT_EQ(host.progressTexts(), (std::vector<std::string>{Empty, key}));
    EXPECT_EQ(red.reason(), key);
}

TEST_F(Flow, ColourTestRunsOnAnyComponentAndWithoutAMode)
{
    SystemComponent* notADisplay = nullptr;
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
    notADisplay = &other;
    display.setEdid(FakeDisplayComponent::makeEdid(false, 1920, 1080));
    display.setEdidReadable(false);
    display.setCurrentModeReadable(false);
    for (SystemComponent* component : {static_cast<SystemComponent*>(&display), notADisplay}) {
        RecordingHost h(component);
        h.answers({1, 3});
        EXPECT_EQ(red.run(&h), Passed);
        // No window: the check question follows the confirmation directly.
        const auto requests = h.requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[1].text, Keys::DISPLAY_GENERAL_PURITY_CHECK);
        EXPECT_EQ(h.progressPercents(), (std::vector<int>{0, 50, 100}));
    }
}

TEST_F(Flow, ProceduralCheckNeedsADigitalDisplayAtItsNativeResolution)
{
    const std::string& key = Keys::
        THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED;
    auto badChecksum = FakeDisplayComponent::makeEdid(true, 1920, 1080);
    badChecksum[127] ^= 1;
    struct Row
    {
        const char* name;
        std::function<void(FakeDisplayComponent&)> setUp;
        bool supported;
    };
    const Row rows[] = {
        {"native", [](FakeDisplayComponent&) {}, true},
        {"turned", [](FakeDisplayComponent& d) { d.setCurrentMode(1080, 1920); }, true},
        {"analog",
         [](FakeDisplayComponent& d) {
             d.setEdid(FakeDisplayComponent::makeEdid(false, 1920, 1080));
         },
         false},
        {"bad checksum", [&](FakeDisplayComponent& d) { d.setEdid(badChecksum); }, false},
        {"other mode", [](FakeDisplayComponent& d) { d.setCurrentMode(1280, 1024); }, false},
        {"half turned", [](FakeDisplayComponent& d) { d.setCurrentMode(1080, 1080); }, false},
        {"no EDID", [](FakeDisplayComponent& d) { d.setEdidReadable(false); }, false},
        {"no mode", [](FakeDisplayComponent& d) { d.setCurrentModeReadable(false); }, false},
    };
    for (const Row& row : rows) {
        FakeDisplayComponent d;
        row.setUp(d);
        MonochromaticMeshTest mesh = quickTest<MonochromaticMeshTest>(7);
        EXPECT_EQ(mesh.supportsComponent(&d), row.supported) << row.name;
        RecordingHost h(&d);
        h.setEventFilter(&spy);
        h.answer(1).runWindow().answer(3);
        EXPECT_EQ(mesh.run(&h), row.supported ? Passed : NotPerformed) << row.name;
        if (!row.supported) {
            EXPECT_EQ(h.messages(), std::vector<std::string>{key}) << row.name;
            EXPECT_TRUE(h.requests().empty()) << row.name;
        }
    }
    EXPECT_FALSE(quickTest<MonochromaticMeshTest>(7).supportsComponent(nullptr));
}

TEST_F(Flow, ComponentLostBetweenStepsAbortsWithoutAReport)
{
    MonochromaticMeshTest mesh = quickTest<MonochromaticMeshTest>(7);
    host.answer(1).runWindow().answer(3, [this](RecordingHost&) {
        display.setCurrentMode(1280, 1024); // the user changed the resolution
    });
    EXPECT_EQ(mesh.run(&host), Aborted);
    EXPECT_TRUE(host.messages().empty());
    EXPECT_EQ(host.countProgress(100), 1);
    EXPECT_EQ(host.progressTexts().back(), Empty);
    EXPECT_EQ(
        mesh.reason(),
        Keys::
            THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED);
}

TEST_F(Flow, EscapeOnThePatternStillAsksTheQuestion)
{
    RedPurityTest slow(ItemId(9, 1, 1)); // default 5 s: only Escape ends it quickly
    spy.onShown = [](DisplayWidget* window) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window, &escape);
    };
    host.answer(1).runWindow().answer(3);
    EXPECT_EQ(slow.run(&host), Passed);
    ASSERT_EQ(host.requests().size(), 3u);
    EXPECT_EQ(host.requests()[1].answer, uint32_t(Escape));
}
