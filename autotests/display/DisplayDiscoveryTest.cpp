#include "EdidSampleFile.h"
#include "autotests/display/DisplayTestSupport.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"
#include "display/DisplayModeWindows.h"
#include "display/Edid.h"
#include "display/platform/DisplayPlatform.h"

#include <gtest/gtest.h>

namespace {

// One desk installed for the test, refreshed into the manager.
class DisplayDiscovery : public ::testing::Test
{
protected:
    void install()
    {
        m_installed = std::make_unique<InstalledDesk>(desk);
        manager.refresh();
    }
    DisplayInterfaceComponentWindows* display(uint32_t index)
    {
        return dynamic_cast<DisplayInterfaceComponentWindows*>(manager.componentAt(index));
    }
    // Byte 12 (part of the serial number) of the EDID readEdid hands out, or -1.
    int edidMark(uint32_t index)
    {
        Edid* edid = nullptr;
        return display(index)->readEdid(edid) == 0 ? edid->bytes()[12] : -1;
    }

    SimulatedDesk desk;
    DisplayInterfaceComponentManagerWindows manager{ItemId(9, 0, 0)};
    std::unique_ptr<InstalledDesk> m_installed;
};

// Each real EDID goes the whole way a host sees it: a desk with that
// monitor, refresh and the property list, collected twice (the second
// collection must find the driver version again).
TEST_F(DisplayDiscovery, EveryRealSampleGivesItsPropertiesAndName)
{
    ASSERT_FALSE(EdidSampleFile::all().empty());
    for (const EdidSampleFile::Sample& sample : EdidSampleFile::all()) {
        SCOPED_TRACE(sample.source);
        SimulatedDesk one;
        one.display("DP-1").mode(1920, 1080).current(0).withEdid(sample.full).driver("6.1.0");
        InstalledDesk installed(one);
        manager.refresh();
        ASSERT_EQ(manager.componentCount(), 1u);
        Properties expected = displayProperties("dpy1", "1920x1080", sample.source);
        expected.emplace_back("DRIVER_VERSION", "6.1.0");
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(propertiesOf(display(0)), expected);
            display(0)->collectProperties();
        }
        EXPECT_EQ(display(0)->info().name, sample.componentName);
        EXPECT_EQ(
            DisplayInterfaceComponentWindows::modelCodeOf(display(0)->displayDevice().deviceId),
            sample.modelCode);
    }
}

// Twelve outputs, one mirroring driver, one inactive device and one adapter
// whose name differs only in case: only active, non-mirroring devices on a
// byte-equal output are numbered, and each refresh numbers afresh. Two
// devices on one output (a clone) share its monitor but keep their devices.
TEST_F(DisplayDiscovery, NumbersActiveDevicesOnEachRefresh)
{
    desk.display("DP-M").mode(1920, 1080).mirroringDriver();
    desk.display("DP-I").at(1920, 0).mode(1920, 1080).inactive();
    desk.display("DP-C").at(1920, 0).mode(1920, 1080).adapter("dp-c");
    for (int i = 0; i < 12; ++i)
        desk.display("DP-" + std::to_string(i)).at(-100 * i, -200).mode(100, 100);
    desk.display("HDMI-1").at(100, 50).mode(1280, 720).current(0).withEdid(EdidBlock().bytes);
    desk.display("HDMI-1").withEdid(EdidBlock().set(10, 0x99).fixChecksum().bytes);
    install();
    for (int round = 0; round < 2; ++round) {
        manager.refresh();
        ASSERT_EQ(manager.componentCount(), 14u);
        EXPECT_EQ(display(0)->componentId(), "dpy1");
    }
    EXPECT_EQ(display(0)->monitorInfo().device, "DP-0");
    // DISPLAY_INDEX is the identifier's last character; no EDID, no current mode.
    EXPECT_EQ(propertiesOf(display(11)), Properties({{"UDI", "dpy12"}, {"DISPLAY_INDEX", "2"}}));
    EXPECT_EQ(display(11)->monitorLeft(), -1100);
    EXPECT_EQ(display(11)->monitorTop(), -200);
    EXPECT_EQ(display(12)->monitorHandle(), display(13)->monitorHandle());
    EXPECT_EQ(display(13)->monitorInfo().rcMonitor.right, 1380);
    EXPECT_NE(display(12)->displayDevice().deviceId, display(13)->displayDevice().deviceId);
}

// Two monitors of one model: the last present device with that model code
// decides, and a later match without an "EDID" value turns success into
// failure. A short value reads with zeros for the missing bytes, extension
// blocks are kept, an oversized value fails and other values are ignored.
TEST_F(DisplayDiscovery, EdidSearchAndValueShapes)
{
    const auto block = EdidBlock().bytes;
    const auto first = EdidBlock().set(12, 1).fixChecksum().bytes;
    auto withExtension = block;
    withExtension.resize(256, 0xAB);
    desk.display("DP-1").withEdid(first);
    desk.display("DP-2").at(1920, 0).withEdid(EdidBlock().set(12, 2).fixChecksum().bytes);
    desk.display("DP-3").at(3840, 0).withEdid(first).keyDoesNotOpen();
    desk.display("DP-4").at(5760, 0).withEdid(EdidBlock().set(9, 0x44).fixChecksum().bytes);
    desk.display("DP-5").at(7680, 0).modelCode("ABD1234");
    desk.display("DP-6").withEdid({block.begin(), block.begin() + 100}).modelCode("SHO0001");
    desk.display("DP-7").withEdid(withExtension).modelCode("EXT0001");
    desk.display("DP-8").withEdid(std::vector<uint8_t>(1025, 0)).modelCode("BIG0001");
    desk.display("DP-9").withEdid(block).modelCode("VAL0001").registryValue("OTHER", {0xEE});
    install();
    EXPECT_EQ(edidMark(0), 2);
    EXPECT_EQ(edidMark(2), 2);
    EXPECT_EQ(edidMark(3), -1);
    Edid* edid = nullptr;
    ASSERT_EQ(display(5)->readEdid(edid), 0);
    EXPECT_EQ(std::vector<uint8_t>(edid->bytes() + 100, edid->bytes() + 128),
              std::vector<uint8_t>(28, 0));
    ASSERT_EQ(display(6)->readEdid(edid), 0);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), edid->bytes()));
    EXPECT_EQ(edidMark(7), -1);
    EXPECT_EQ(edidMark(8), 0);
}

// A second readEdid, currentMode or modes replaces and deletes what the
// previous one handed out (the sanitizer build catches leaks and double
// deletes); modes compare by all fields and apply with three outcomes.
TEST_F(DisplayDiscovery, ComponentOwnsWhatItHandsOutAndAppliesModes)
{
    SimulatedDisplay& dp1 = desk.display("DP-1").withEdid(EdidBlock().bytes).mode(1920, 1080);
    dp1.mode(1280, 720).mode(1024, 768, 32, 60, DisplayBackend::ChangeBadMode);
    dp1.mode(800, 600, 32, 60, DisplayBackend::ChangeFailed).mode(3840, 2160);
    dp1.mode(1920, 1080, 32, 75).current(0);
    install();
    Edid* edid = nullptr;
    DisplayMode* current = nullptr;
    std::vector<DisplayMode*> modes = {nullptr};
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(display(0)->readEdid(edid), 0);
        ASSERT_EQ(display(0)->currentMode(current), 0);
        ASSERT_EQ(display(0)->modes(modes), 0);
    }
    ASSERT_EQ(modes.size(), 6u);
    EXPECT_TRUE(current->equals(modes[0]));
    EXPECT_FALSE(modes[0]->equals(modes[5]) || modes[0]->equals(nullptr));
    EXPECT_EQ(modes[4]->magnitude(), 15925248000.0); // computed without wrapping
    EXPECT_EQ(modes[2]->apply(), 1);
    EXPECT_EQ(modes[3]->apply(), 2);
    EXPECT_EQ(modes[1]->apply(), 0);
    EXPECT_EQ(m_installed->backend().currentModeIndex("DP-1"), 1u);
    EXPECT_FALSE(display(0)->restoreDisplaySettings());
    EXPECT_EQ(m_installed->backend().currentModeIndex("DP-1"), 0u);
    // A mode the output does not list is rejected as unsupported.
    EXPECT_EQ(DisplayModeWindows(display(0)->monitorInfo(), {640, 480, 32, 60, 0, 0}).apply(), 1);
}

// Twins (one EDID on two outputs) and a clone (two monitors on one output):
// every handed-out identifier leads to its own output, place, modes and
// EDID, in the order handed out; a refresh with fewer displays and a new
// backend forget the identifiers that no longer exist.
TEST_F(DisplayDiscovery, HandsOutEachDisplayWithItsOwnPlatformView)
{
    const auto twin = EdidBlock().set(12, 7).fixChecksum().bytes;
    const auto other = EdidBlock().set(10, 0x99).fixChecksum().bytes;
    desk.display("HDMI-1").at(1920, 0).withEdid(twin).mode(1920, 1080, 32, 60).current(0);
    desk.display("DP-1").withEdid(twin).mode(1280, 720).mode(1920, 1080, 32, 75).current(1);
    desk.display("DP-2").at(0, 1080).withEdid(other).mode(800, 600);
    desk.display("DP-2").withoutEdid();
    install();

    struct Row
    {
        const char* id;
        const char* connector;
        const char* device;
        int32_t x, y;
        uint32_t width;
        bool primary;
        std::optional<double> refreshHz;
        size_t modes;
        std::vector<uint8_t> edid;
    };
    const std::vector<Row> rows = {
        {"dpy1", "HDMI-1", "HDMI-1\\Monitor0", 1920, 0, 1920, false, 60.0, 1, twin},
        {"dpy2", "DP-1", "DP-1\\Monitor0", 0, 0, 1920, true, 75.0, 2, twin},
        {"dpy3", "DP-2", "DP-2\\Monitor0", 0, 1080, 800, false, std::nullopt, 1, other},
        {"dpy4", "DP-2", "DP-2\\Monitor1", 0, 1080, 800, false, std::nullopt, 1, {}},
    };
    const std::vector<HandedOutDisplay> handedOut = DisplayPlatform::handedOut();
    ASSERT_EQ(handedOut.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].id);
        EXPECT_EQ(handedOut[i].id, rows[i].id);
        EXPECT_EQ(handedOut[i].monitorDevice, rows[i].device);
        EXPECT_EQ(handedOut[i].monitor, display(uint32_t(i))->monitorHandle());
        OutputView view;
        ASSERT_TRUE(DisplayPlatform::describe(rows[i].id, view));
        EXPECT_EQ(view.connector, rows[i].connector);
        EXPECT_EQ(std::make_pair(view.x, view.y), std::make_pair(rows[i].x, rows[i].y));
        EXPECT_EQ(view.width, rows[i].width);
        EXPECT_EQ(view.primary, rows[i].primary);
        EXPECT_EQ(view.refreshHz, rows[i].refreshHz);
        EXPECT_EQ(view.modes.size(), rows[i].modes);
        EXPECT_EQ(view.edid, rows[i].edid);
    }
    OutputView dp1;
    ASSERT_TRUE(DisplayPlatform::describe("dpy2", dp1));
    EXPECT_FALSE(dp1.modes[0].current);
    EXPECT_FALSE(dp1.modes[0].preferred.has_value()); // desks have no preferred mode
    EXPECT_TRUE(dp1.modes[1].current);
    EXPECT_EQ(dp1.modes[0].refreshHz, 60.0);

    SimulatedDesk smaller;
    smaller.display("DP-9").mode(640, 480).current(0);
    InstalledDesk replaced(smaller);
    OutputView gone;
    EXPECT_FALSE(DisplayPlatform::describe("dpy1", gone));
    manager.refresh();
    ASSERT_TRUE(DisplayPlatform::describe("dpy1", gone));
    EXPECT_EQ(gone.connector, "DP-9");
    EXPECT_FALSE(DisplayPlatform::describe("dpy2", gone));
}

} // namespace
