#include "display/platform/OutputSnapshot.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/SnapshotBackend.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
OutputSnapshot::Mode mode(uint32_t width, uint32_t height, uint32_t milliHertz,
                          uint32_t bitsPerPixel = 32)
{
    OutputSnapshot::Mode mode;
    mode.width = width;
    mode.height = height;
    mode.refreshMilliHertz = milliHertz;
    mode.bitsPerPixel = bitsPerPixel;
    return mode;
}

OutputSnapshot::Output output(const std::string& name, Rect rect,
                              std::vector<OutputSnapshot::Mode> modes = {mode(1920, 1080, 60000)})
{
    OutputSnapshot::Output output;
    output.adapter.deviceName = name;
    output.shownIn = name;
    output.rect = rect;
    output.modes = std::move(modes);
    output.current = 0;
    return output;
}

// A platform whose outputs trade places and sizes whenever the module asks
// anything: every reading sees another layout.
class RestlessBackend : public SnapshotBackend
{
public:
    RestlessBackend() : SnapshotBackend("/nonexistent", "/nonexistent") {}
    std::string name() const override { return "restless"; }
    int32_t changeDisplaySettings(const std::string&, const ModeRecord*) override
    {
        return ChangeFailed;
    }
    bool getMonitorInfo(MonitorHandle monitor, MonitorInfo& info) override
    {
        ++m_turn;
        return SnapshotBackend::getMonitorInfo(monitor, info);
    }
    bool enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device) override
    {
        ++m_turn;
        return SnapshotBackend::enumDisplayDevices(adapter, index, device);
    }
    int readings = 0;

protected:
    Reading readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                        const OperationDeadline&) override
    {
        ++readings;
        outputs = {output("DP-1", {0, 0, 1920, 1080}), output("DP-2", {1920, 0, 3200, 1024})};
        outputs[1].modes = {mode(1280, 1024, 60020)};
        if (m_turn % 2)
            std::reverse(outputs.begin(), outputs.end());
        return Reading::Read;
    }

private:
    int m_turn = 0;
};

std::string text(const ModeRecord& record)
{
    return std::to_string(record.width) + "x" + std::to_string(record.height) + "@" +
           std::to_string(record.refreshMilliHertz);
}
} // namespace

// The mode a record names: the record's own id first, then size, refresh
// (millihertz where both know them, else whole hertz) and depth, each 0
// meaning any. 59.94 and 60.00 Hz round alike but are different modes.
TEST(OutputSnapshot, ARecordChoosesItsOwnMode)
{
    const OutputSnapshot outputs({output("DP-1", {0, 0, 1920, 1080},
                                         {mode(1920, 1080, 60000), mode(1920, 1080, 59940),
                                          mode(1920, 1080, 59940), mode(1280, 720, 60000)})},
                                 nullptr);
    const OutputSnapshot::Output& dp1 = outputs.outputs().front();
    const ModeRecord third = outputs.recordOf(dp1, 2);
    const auto record = [](uint32_t w, uint32_t h, uint32_t bpp, uint32_t hz, uint32_t mhz) {
        ModeRecord record{w, h, bpp, hz, 0, 0};
        record.refreshMilliHertz = mhz;
        return record;
    };
    const std::tuple<const char*, ModeRecord, int> rows[] = {
        {"59.94 against 60.00 at one size", record(1920, 1080, 32, 60, 59940), 1},
        {"60.00 against 59.94 at one size", record(1920, 1080, 32, 60, 60000), 0},
        {"whole hertz: the first that rounds alike", record(1920, 1080, 32, 60, 0), 0},
        {"its own id among alike modes", third, 2},
        {"any rate", record(1280, 720, 32, 0, 0), 3},
        {"any depth", record(1280, 720, 0, 60, 0), 3},
        {"another depth", record(1280, 720, 16, 60, 0), -1},
        {"another rate", record(1280, 720, 32, 75, 0), -1},
        {"another size", record(1024, 768, 32, 60, 0), -1},
    };
    for (const auto& [what, wanted, index] : rows) {
        const std::optional<size_t> found = outputs.modeIndex(dp1, wanted);
        EXPECT_EQ(found ? int(*found) : -1, index) << what;
    }
    EXPECT_EQ(text(third), "1920x1080@59940");
    EXPECT_EQ(third.frequency, 60u);
}

// Handles and mode ids belong to an output while it exists: a new reading
// keeps them whatever the order, and never hands a vanished one to another.
TEST(OutputSnapshot, HandlesAndModeIdsSurviveANewReading)
{
    const OutputSnapshot first(
        {output("DP-1", {0, 0, 1920, 1080}), output("DP-2", {1920, 0, 3840, 1080})}, nullptr);
    const OutputSnapshot second(
        {output("DP-3", {0, 0, 1920, 1080}), output("DP-2", {1920, 0, 3840, 1080})}, &first);
    MonitorInfo info;
    ASSERT_EQ(first.monitors().size(), 2u);
    ASSERT_EQ(second.monitors().size(), 2u);
    const OutputSnapshot::MonitorHandle dp1 = first.monitors()[0];
    const OutputSnapshot::MonitorHandle dp2 = first.monitors()[1];
    EXPECT_EQ(second.monitors()[1], dp2);
    ASSERT_TRUE(second.monitorInfo(dp2, info));
    EXPECT_EQ(info.device, "DP-2");
    EXPECT_FALSE(second.monitorInfo(dp1, info));
    EXPECT_NE(second.monitors()[0], dp1);

    ModeRecord before;
    ModeRecord after;
    ASSERT_TRUE(first.mode("DP-2", 0, before));
    ASSERT_TRUE(second.mode("DP-2", 0, after));
    EXPECT_EQ(before.nativeId, after.nativeId);
    ASSERT_TRUE(second.mode("DP-3", 0, after));
    ASSERT_TRUE(first.mode("DP-1", 0, before));
    EXPECT_NE(before.nativeId, after.nativeId);
}

// Whatever the platform does between the module's calls, one refresh lists
// each display once, with its own rectangle and modes, and reads once.
TEST(OutputSnapshot, AChangeDuringARefreshLeavesTheListingConsistent)
{
    auto owned = std::make_unique<RestlessBackend>();
    RestlessBackend* backend = owned.get();
    DisplayPlatform::install(std::move(owned));
    DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
    for (int refresh = 0; refresh < 3; ++refresh) {
        manager.refresh();
        std::vector<std::string> seen;
        for (uint32_t i = 0; i < manager.componentCount(); ++i) {
            auto* display = dynamic_cast<DisplayInterfaceComponentWindows*>(manager.componentAt(i));
            const MonitorInfo& info = display->monitorInfo();
            seen.push_back(info.device + " " + std::to_string(info.rcMonitor.left) + " " +
                           std::to_string(info.rcMonitor.right));
        }
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(seen, (std::vector<std::string>{"DP-1 0 1920", "DP-2 1920 3200"}));
    }
    EXPECT_EQ(backend->readings, 3);
    DisplayPlatform::reset();
}

// Compositors may send any figures: sums saturate instead of overflowing.
TEST(OutputSnapshot, SumsStayWithinInt32)
{
    EXPECT_EQ(OutputSnapshot::clampedSum(2147483000, 1920), 2147483647);
    EXPECT_EQ(OutputSnapshot::clampedSum(-2147483000, -1920), -2147483647 - 1);
    EXPECT_EQ(OutputSnapshot::clampedSum(100, 1920), 2020);
}
