#include "tests/ResolutionFittingTest.h"
#include "autotests/display/DisplayTestSupport.h"
#include "autotests/support/RecordingHost.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/SystemComponent.h"
#include "module/Keys.h"
#include "module/TestResult.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

using Texts = std::vector<std::string>;

// A host that, at call `at` of stopRequested, raises the system-event word to
// word, or the stop flag when word is 0; at 0 it raises the word before the
// run. The test asks between its steps and during its wait.
class InterruptingHost : public RecordingHost
{
public:
    InterruptingHost(SystemComponent* component, int at, uint32_t word)
        : RecordingHost(component), m_at(at), m_word(word)
    {
        setSystemEvent(at == 0 ? word : 0);
    }
    bool stopRequested() override
    {
        if (++m_calls == m_at)
            m_word ? setSystemEvent(m_word) : setStopRequested(true);
        return RecordingHost::stopRequested();
    }

private:
    int m_at, m_calls = 0;
    uint32_t m_word;
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

const std::string& Can = Keys::YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION;
const std::string& Cant = Keys::YOUR_SYSTEM_CANT_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY;
const std::string& Event =
    Keys::TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED;
const std::string& Internal = Keys::AN_INTERNAL_ERROR_OCCURRED;
const std::string& Unidentified = Keys::
    THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED;

// The whole run of the test per case, on one desk: dpy1 a 1920x1080 panel
// offered 1920x1080 (at 16 bits, 30 Hz), dpy2 the same panel on an output
// that reaches only 1680x1050, dpy3 a 1080x1920 portrait EDID on an output
// listing 1920x1080, dpy4 a monitor without an "EDID" value. Only the
// internal error waits (about two seconds); a stop or a system event ends
// the wait at once.
TEST(ResolutionFitting, RunsOnTheSimulatedDesk)
{
    SimulatedDesk desk;
    desk.display("DP-1").withEdid(EdidBlock().bytes).mode(1280, 720).mode(1920, 1080, 16, 30);
    desk.display("DP-2").at(1920, 0).withEdid(EdidBlock().bytes).mode(1680, 1050);
    EdidBlock portrait;
    portrait.set(56, 0x38).set(58, 0x40).set(59, 0x80).set(61, 0x70).fixChecksum();
    desk.display("DP-3").at(3600, 0).withEdid(portrait.bytes).modelCode("POR0001").mode(1920, 1080);
    desk.display("DP-4").at(4680, 0).mode(1920, 1080).current(0);
    InstalledDesk installed(desk);
    DisplayInterfaceComponentManagerWindows manager{ItemId(9, 0, 0)};
    manager.refresh();
    ASSERT_EQ(manager.componentCount(), 4u);
    NotADisplay keyboard;

    SystemComponent* components[] = {manager.componentAt(0), manager.componentAt(1),
                                     manager.componentAt(2), manager.componentAt(3), &keyboard};
    const struct
    {
        const char* what;
        int component, at;
        uint32_t word;
        uint32_t result;
        std::vector<int> percents;
        Texts messages;
    } cases[] = {
        {"fits", 0, 0, 0, Passed, {0, 30, 100}, {Can}},
        {"does not fit", 1, 0, 0, Passed, {0, 30, 100}, {Cant}},
        {"rotated panel", 2, 0, 0, Passed, {0, 30, 100}, {Can}},
        {"not a display", 4, 0, 0, NotPerformed, {0, 100}, {Unidentified}},
        // stopRequested follows readEdid, checksum, width, height and modes.
        {"stop while listing modes", 0, 5, 0, Aborted, {0, 100, 100}, {}},
        {"harmless event (bit 2)", 0, 0, 4, Passed, {0, 30, 100}, {Can}},
        {"compromising event (bit 0)", 0, 0, 1, Aborted, {0, 100, 100}, {Event}},
        {"no EDID", 3, 0, 0, Aborted, {0, 100}, {Internal}},
        {"stop during the wait", 3, 5, 0, Aborted, {0, 100}, {}},
        {"event during the wait", 3, 5, 8, Aborted, {0, 100}, {Event}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InterruptingHost host(components[c.component], c.at, c.word);
        ResolutionFittingTest test(ItemId(9, 1, 10));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(test.run(&host), c.result);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(host.progressPercents(), c.percents);
        EXPECT_EQ(host.messages(), c.messages);
        // Each message is also shown with the progress.
        const Texts texts = host.progressTexts();
        for (const std::string& message : c.messages)
            EXPECT_NE(std::find(texts.begin(), texts.end(), message), texts.end());
        EXPECT_EQ(took.count() >= 0.95, c.messages == Texts{Internal}) << took.count();
    }
    // Without a message sink nothing runs.
    InterruptingHost noSink(manager.componentAt(0), 0, 0);
    noSink.dropMessageSink();
    EXPECT_EQ(ResolutionFittingTest(ItemId(9, 1, 10)).run(&noSink), NotRun);
    EXPECT_EQ(noSink.progressPercents(), std::vector<int>({100}));
    EXPECT_EQ(ResolutionFittingTest(ItemId(9, 1, 10)).run(nullptr), NotRun);
}

} // namespace
