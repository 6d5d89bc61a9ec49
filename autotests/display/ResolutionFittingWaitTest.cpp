#include "autotests/display/DisplayTestSupport.h"
#include "autotests/support/RecordingHost.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "module/Keys.h"
#include "module/TestResult.h"
#include "tests/ResolutionFittingTest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// A host whose stop flag or system-event word turns on at the given call of
// stopRequested, which the test polls during its wait.
class InterruptingHost : public RecordingHost
{
public:
    InterruptingHost(SystemComponent* component, bool stop, int atCall)
        : RecordingHost(component), m_stop(stop), m_atCall(atCall)
    {}
    bool stopRequested() override
    {
        if (++m_calls < m_atCall)
            return false;
        if (!m_stop)
            setSystemEvent(0x8);
        return m_stop;
    }

private:
    bool m_stop;
    int m_atCall;
    int m_calls = 0;
};

// The failures that end in the internal error, which is shown only after a
// wait of about two seconds. The runs wait side by side, on threads of their
// own with components of their own, so the suite pays for one wait.
TEST(ResolutionFittingWait, FailuresEndInTheInternalErrorAfterTheWait)
{
    SimulatedDesk desk;
    desk.display("DP-1").mode(1920, 1080).current(0); // no EDID value
    desk.display("DP-2").at(1920, 0).withEdid(EdidBlock().set(127, 1).bytes).mode(1920, 1080);
    desk.display("DP-3").at(3840, 0).withEdid(EdidBlock().bytes).modelCode("NOM0001"); // no modes
    desk.display("DP-4").at(5760, 0).mode(1920, 1080);
    desk.display("DP-5").at(7680, 0).mode(1920, 1080);
    InstalledDesk installed(desk);
    DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
    manager.refresh();
    ASSERT_EQ(manager.componentCount(), 5u);

    std::vector<std::unique_ptr<RecordingHost>> hosts;
    for (uint32_t i = 0; i < 3; ++i)
        hosts.push_back(std::make_unique<RecordingHost>(manager.componentAt(i)));
    hosts.push_back(std::make_unique<InterruptingHost>(manager.componentAt(3), true, 5));
    hosts.push_back(std::make_unique<InterruptingHost>(manager.componentAt(4), false, 5));
    std::vector<uint32_t> results(hosts.size(), 99);
    std::vector<double> seconds(hosts.size(), 0);

    std::vector<std::thread> runs;
    for (size_t i = 0; i < hosts.size(); ++i) {
        runs.emplace_back([&, i] {
            ResolutionFittingTest test(ItemId(9, 1, 10));
            const auto start = std::chrono::steady_clock::now();
            results[i] = test.run(hosts[i].get());
            seconds[i] =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        });
    }
    for (std::thread& run : runs)
        run.join();

    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(results[i], Aborted);
        EXPECT_EQ(hosts[i]->progressPercents(), std::vector<int>({0, 100}));
        EXPECT_EQ(hosts[i]->progressTexts().back(), Keys::AN_INTERNAL_ERROR_OCCURRED);
        EXPECT_EQ(hosts[i]->messages(),
                  std::vector<std::string>({Keys::AN_INTERNAL_ERROR_OCCURRED}));
        // Two calendar-second boundaries away: at least one second passes.
        EXPECT_GE(seconds[i], 0.95);
    }

    // A stop or a system event during the wait ends it at once, without the
    // internal error.
    EXPECT_EQ(results[3], Aborted);
    EXPECT_EQ(hosts[3]->progressPercents(), std::vector<int>({0, 100}));
    EXPECT_TRUE(hosts[3]->messages().empty());
    const std::string& eventKey =
        Keys::TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED;
    EXPECT_EQ(results[4], Aborted);
    EXPECT_EQ(hosts[4]->messages(), std::vector<std::string>({eventKey}));
    EXPECT_LT(seconds[3], 0.9);
    EXPECT_LT(seconds[4], 0.9);
}

} // namespace
