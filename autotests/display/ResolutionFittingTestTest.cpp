#include "tests/ResolutionFittingTest.h"
#include "autotests/display/DisplayTestSupport.h"
#include "autotests/support/RecordingHost.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/SystemComponent.h"
#include "module/Keys.h"
#include "module/TestResult.h"

#include <gtest/gtest.h>

namespace {

using Percents = std::vector<int>;
using Texts = std::vector<std::string>;

// A host that raises the stop flag from the given call of stopRequested on.
class StoppingHost : public RecordingHost
{
public:
    StoppingHost(SystemComponent* component, int stopAtCall)
        : RecordingHost(component), m_stopAtCall(stopAtCall)
    {}
    bool stopRequested() override { return ++m_calls >= m_stopAtCall; }

private:
    int m_calls = 0;
    int m_stopAtCall;
};

class NotADisplay : public SystemComponent
{
public:
    NotADisplay() : SystemComponent("kbd1") {}
    int32_t status(uint32_t) override { return 0; }
    bool isPresent(uint32_t) override { return true; }
    bool isEnabled(uint32_t) override { return true; }
    void enable(uint32_t) override {}
    bool isSupported(uint32_t) override { return true; }
    void setOption(uint32_t) override {}
};

class ResolutionFitting : public ::testing::Test
{
protected:
    // dpy1: a 1920x1080 panel offered 1920x1080; dpy2: the same panel whose
    // output reaches only 1680x1050; dpy3: a 1080x1920 portrait EDID on an
    // output listing 1920x1080.
    void SetUp() override
    {
        SimulatedDesk desk;
        desk.display("DP-1").withEdid(EdidBlock().bytes).mode(1280, 720).mode(1920, 1080, 16, 30);
        desk.display("DP-2")
            .at(1920, 0)
            .withEdid(EdidBlock().bytes)
            .modelCode("LOW0001")
            .mode(1680, 1050)
            .mode(1280, 720)
            .current(0);
        EdidBlock portrait;
        portrait.set(56, 0x38).set(58, 0x40).set(59, 0x80).set(61, 0x70).fixChecksum();
        desk.display("DP-3")
            .at(3600, 0)
            .withEdid(portrait.bytes)
            .modelCode("POR0001")
            .mode(1920, 1080)
            .current(0);
        m_installed = std::make_unique<InstalledDesk>(desk);
        m_manager.refresh();
        ASSERT_EQ(m_manager.componentCount(), 3u);
    }
    void TearDown() override { m_installed.reset(); }

    SystemComponent* display(uint32_t index) { return m_manager.componentAt(index); }

    ResolutionFittingTest m_test{ItemId(9, 1, 10)};
    DisplayInterfaceComponentManagerWindows m_manager{ItemId(9, 0, 0)};
    std::unique_ptr<InstalledDesk> m_installed;
};

TEST_F(ResolutionFitting, Conclusions)
{
    const struct
    {
        uint32_t display;
        const std::string& conclusion;
    } cases[] = {
        {0, Keys::YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION},
        {1, Keys::YOUR_SYSTEM_CANT_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY},
        {2, Keys::YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION},
    };
    for (const auto& c : cases) {
        RecordingHost host(display(c.display));
        EXPECT_EQ(m_test.run(&host), Passed) << c.display;
        EXPECT_EQ(host.progressPercents(), Percents({0, 30, 100})) << c.display;
        EXPECT_EQ(host.progressTexts(), Texts({"", "", c.conclusion})) << c.display;
        EXPECT_EQ(host.messages(), Texts({c.conclusion})) << c.display;
    }
}

TEST_F(ResolutionFitting, RejectsAComponentThatIsNoDisplay)
{
    NotADisplay keyboard;
    RecordingHost host(&keyboard);
    const std::string& reason = Keys::
        THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED;
    EXPECT_EQ(m_test.run(&host), NotPerformed);
    EXPECT_EQ(host.progressPercents(), Percents({0, 100}));
    EXPECT_EQ(host.progressTexts(), Texts({"", reason}));
    EXPECT_EQ(host.messages(), Texts({reason}));
    EXPECT_EQ(m_test.reason(), reason);
}

TEST_F(ResolutionFitting, IncompleteContextIsNotRun)
{
    EXPECT_EQ(m_test.run(nullptr), NotRun);

    RecordingHost noSink(display(0));
    noSink.dropMessageSink();
    EXPECT_EQ(m_test.run(&noSink), NotRun);
    EXPECT_EQ(noSink.progressPercents(), Percents({100}));
    EXPECT_TRUE(noSink.messages().empty());

    RecordingHost noComponent;
    EXPECT_EQ(m_test.run(&noComponent), NotRun);
    RecordingHost noWord(display(0));
    noWord.dropSystemEventWord();
    EXPECT_EQ(m_test.run(&noWord), NotRun);
    RecordingHost noChannel(display(0));
    noChannel.dropFeedbackChannel();
    EXPECT_EQ(m_test.run(&noChannel), NotRun);
    EXPECT_TRUE(noChannel.events().empty());
}

TEST_F(ResolutionFitting, StopWhileModesAreListedEndsBeforeProgress30)
{
    // stopRequested is asked after readEdid, the checksum, the width, the
    // height and then the modes: the fifth call.
    StoppingHost host(display(0), 5);
    EXPECT_EQ(m_test.run(&host), Aborted);
    EXPECT_EQ(host.progressPercents(), Percents({0, 100, 100}));
    EXPECT_TRUE(host.messages().empty());
}

TEST_F(ResolutionFitting, OnlyCompromisingSystemEventsStop)
{
    RecordingHost harmless(display(0));
    harmless.setSystemEvent(4);
    EXPECT_EQ(m_test.run(&harmless), Passed);

    RecordingHost compromised(display(0));
    compromised.setSystemEvent(1);
    const std::string& key =
        Keys::TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED;
    EXPECT_EQ(m_test.run(&compromised), Aborted);
    EXPECT_EQ(compromised.progressPercents(), Percents({0, 100, 100}));
    EXPECT_EQ(compromised.progressTexts(), Texts({"", key, ""}));
    EXPECT_EQ(compromised.messages(), Texts({key}));
}

TEST(ResolutionFittingSlots, FixedAnswers)
{
    ResolutionFittingTest test(ItemId(9, 1, 10));
    EXPECT_FALSE(test.isAttended());
    EXPECT_TRUE(test.isUnattendedCapable());
    EXPECT_TRUE(test.configure(SettingsMap(), nullptr));
    for (uint32_t code : {1u, 2u, 8u, 0x100u, 0xFFFFFFFFu})
        EXPECT_TRUE(test.isCompromisingEvent(code)) << code;
    for (uint32_t code : {0u, 4u, 0x200u, 0xFFFFFE04u})
        EXPECT_FALSE(test.isCompromisingEvent(code)) << code;
}

} // namespace
