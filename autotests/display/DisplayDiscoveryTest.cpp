#include "autotests/display/DisplayTestSupport.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"
#include "display/DisplayModeWindows.h"
#include "display/Edid.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/NullBackend.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;

DisplayInterfaceComponentWindows* display(DisplayInterfaceComponentManagerWindows& manager,
                                          uint32_t index)
{
    return dynamic_cast<DisplayInterfaceComponentWindows*>(manager.componentAt(index));
}

std::vector<std::string> ids(DisplayInterfaceComponentManagerWindows& manager)
{
    std::vector<std::string> result;
    for (uint32_t i = 0; i < manager.componentCount(); ++i)
        result.push_back(manager.componentAt(i)->componentId());
    return result;
}

class DisplayDiscovery : public ::testing::Test
{
protected:
    DisplayInterfaceComponentManagerWindows manager{ItemId(9, 0, 0)};
};

TEST_F(DisplayDiscovery, EnumeratesOnlyOnRefreshAndRenumbersEachTime)
{
    SimulatedDesk desk;
    desk.display("DP-1").at(0, 0).mode(1920, 1080).current(0);
    desk.display("HDMI-1").at(-1280, -200).mode(1280, 1024).current(0);
    InstalledDesk installed(desk);

    EXPECT_EQ(manager.componentCount(), 0u);
    EXPECT_EQ(manager.componentAt(0), nullptr);
    EXPECT_TRUE(manager.hasDisplays());

    for (int round = 0; round < 2; ++round) {
        manager.refresh();
        EXPECT_EQ(ids(manager), Names({"dpy1", "dpy2"}));
        for (uint32_t i = 0; i < 3; ++i)
            EXPECT_EQ(manager.displayAt(i), manager.componentAt(i));
    }
    EXPECT_EQ(manager.componentAt(2), nullptr);
    EXPECT_EQ(display(manager, 1)->monitorLeft(), -1280);
    EXPECT_EQ(display(manager, 1)->monitorTop(), -200);
    EXPECT_EQ(display(manager, 1)->monitorInfo().rcMonitor.right, 0);
}

TEST_F(DisplayDiscovery, SkipsMirroringAndInactiveDevicesWithoutUsingANumber)
{
    SimulatedDesk desk;
    desk.display("DP-1").mode(1920, 1080).mirroringDriver();
    desk.display("HDMI-1").at(1920, 0).mode(1920, 1080).inactive();
    desk.display("HDMI-1").withEdid(EdidBlock().bytes);
    desk.display("DP-2").at(3840, 0).mode(1920, 1080);
    InstalledDesk installed(desk);
    manager.refresh();
    ASSERT_EQ(ids(manager), Names({"dpy1", "dpy2"}));
    EXPECT_EQ(display(manager, 0)->monitorInfo().device, "HDMI-1");
    EXPECT_EQ(display(manager, 0)->displayDevice().deviceName, "HDMI-1\\Monitor1");
    EXPECT_EQ(display(manager, 1)->monitorInfo().device, "DP-2");
}

TEST_F(DisplayDiscovery, ClonesShareTheMonitorButKeepTheirDevices)
{
    SimulatedDesk desk;
    desk.display("HDMI-1").at(100, 50).mode(1280, 720).current(0).withEdid(EdidBlock().bytes);
    desk.display("HDMI-1").withEdid(EdidBlock().set(10, 0x99).fixChecksum().bytes);
    InstalledDesk installed(desk);
    manager.refresh();
    ASSERT_EQ(ids(manager), Names({"dpy1", "dpy2"}));
    const auto* first = display(manager, 0);
    const auto* second = display(manager, 1);
    EXPECT_EQ(first->monitorHandle(), second->monitorHandle());
    EXPECT_EQ(first->monitorInfo().rcMonitor.right, second->monitorInfo().rcMonitor.right);
    EXPECT_EQ(second->monitorInfo().rcMonitor.right, 1380);
    EXPECT_EQ(second->monitorInfo().rcMonitor.bottom, 770);
    EXPECT_NE(first->displayDevice().deviceId, second->displayDevice().deviceId);
}

TEST_F(DisplayDiscovery, OutputNamesCompareByteForByte)
{
    SimulatedDesk desk;
    desk.display("DP-1").mode(1920, 1080).adapter("dp-1");
    InstalledDesk installed(desk);
    EXPECT_TRUE(manager.hasDisplays());
    manager.refresh();
    EXPECT_EQ(manager.componentCount(), 0u);
}

TEST_F(DisplayDiscovery, PlatformFailuresYieldFewerDisplays)
{
    {
        SimulatedDesk desk;
        desk.display("DP-1").mode(1920, 1080);
        desk.failMonitorEnumeration();
        InstalledDesk installed(desk);
        EXPECT_FALSE(manager.hasDisplays());
        manager.refresh();
        EXPECT_EQ(manager.componentCount(), 0u);
    }
    {
        SimulatedDesk desk;
        desk.display("DP-1").mode(1920, 1080);
        desk.failMonitorInfo();
        InstalledDesk installed(desk);
        manager.refresh();
        EXPECT_EQ(manager.componentCount(), 0u);
    }
    DisplayPlatform::install(std::make_unique<NullBackend>());
    EXPECT_FALSE(manager.hasDisplays());
    manager.refresh();
    EXPECT_EQ(manager.componentCount(), 0u);
    DisplayPlatform::reset();
}

TEST_F(DisplayDiscovery, MonitorStepWithoutListStopsTheEnumeration)
{
    EXPECT_FALSE(DisplayInterfaceComponentManagerWindows::addMonitorComponents(0x10001, nullptr));
}

TEST_F(DisplayDiscovery, FullPropertyListInOrder)
{
    SimulatedDesk desk;
    desk.display("DP-1")
        .mode(2560, 1440)
        .mode(1920, 1080)
        .current(1)
        .driver("6.1.0")
        .withEdid(EdidBlock().bytes);
    InstalledDesk installed(desk);
    manager.refresh();
    const ComponentInfo info = manager.componentAt(0)->info();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"UDI", "dpy1"},
        {"DISPLAY_INDEX", "1"},
        {"CURRENT_RESOLUTION", "1920x1080"},
        {"MANUFACTURER_ID", "ABC"},
        {"MODEL_NAME", "TEST PANEL"},
        {"EDID_VERSION", "1.3"},
        {"NATIVE_RESOLUTION", "1920x1080"},
        {"SCREEN_SIZE", "52cm x 29cm"},
        {"INPUT_TYPE", "DIGITAL"},
        {"DRIVER_VERSION", "6.1.0"}};
    ASSERT_EQ(info.properties.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(info.properties[i].key, expected[i].first);
        EXPECT_EQ(info.properties[i].value, expected[i].second);
    }
    EXPECT_EQ(info.name, "TESTPANEL");

    // A second collection finds the driver again: readEdid restores the
    // hardware identifier the version had replaced.
    display(manager, 0)->collectProperties();
    EXPECT_EQ(manager.componentAt(0)->info().properties.size(), expected.size());
}

TEST_F(DisplayDiscovery, PartialPropertyLists)
{
    SimulatedDesk desk;
    desk.display("DP-1").mode(1024, 768).current(0).driver("1.0"); // no EDID value
    desk.display("DP-2")
        .at(1024, 0)
        .withEdid(EdidBlock().set(127, 0).bytes)
        .modelCode("BAD0001")
        .mode(800, 600);
    desk.display("DP-3")
        .at(2048, 0)
        .withEdid(EdidBlock().set(22, 0).fixChecksum().bytes)
        .modelCode("SIZ0001");
    InstalledDesk installed(desk);
    manager.refresh();
    ASSERT_EQ(manager.componentCount(), 3u);
    EXPECT_EQ(propertyKeys(manager.componentAt(0)->info().properties),
              Names({"UDI", "DISPLAY_INDEX", "CURRENT_RESOLUTION"}));
    EXPECT_EQ(manager.componentAt(0)->info().name, "GENERIC_DISPLAY");
    // Broken checksum: only the unchecked fields; no current mode readable.
    EXPECT_EQ(propertyKeys(manager.componentAt(1)->info().properties),
              Names({"UDI", "DISPLAY_INDEX", "EDID_VERSION", "INPUT_TYPE"}));
    EXPECT_EQ(manager.componentAt(1)->info().name, "GENERIC_DISPLAY");
    EXPECT_EQ(propertyKeys(manager.componentAt(2)->info().properties),
              Names({"UDI", "DISPLAY_INDEX", "MANUFACTURER_ID", "MODEL_NAME", "EDID_VERSION",
                     "NATIVE_RESOLUTION", "INPUT_TYPE"}));
}

TEST_F(DisplayDiscovery, DisplayIndexIsTheLastCharacter)
{
    SimulatedDesk desk;
    for (int i = 0; i < 12; ++i)
        desk.display("DP-" + std::to_string(i)).at(i * 100, 0).mode(100, 100);
    InstalledDesk installed(desk);
    manager.refresh();
    ASSERT_EQ(manager.componentCount(), 12u);
    EXPECT_EQ(manager.componentAt(11)->info().properties[1].value, "2");
}

TEST_F(DisplayDiscovery, ModelCodeComesFromTheSecondSegment)
{
    EXPECT_EQ(DisplayInterfaceComponentWindows::modelCodeOf("MONITOR\\ABC1234\\{x}\\0001"),
              "ABC1234");
    EXPECT_EQ(DisplayInterfaceComponentWindows::modelCodeOf("MONITOR\\\\x"), "");
    for (const char* broken : {"MONITOR", "MONITOR\\", "MONITOR\\ABC1234", ""})
        EXPECT_EQ(DisplayInterfaceComponentWindows::modelCodeOf(broken), "err") << broken;

    SimulatedDesk desk;
    desk.display("DP-1").withEdid(EdidBlock().bytes).deviceIdentifier("MONITOR\\ABC1234");
    InstalledDesk installed(desk);
    manager.refresh();
    Edid* edid = nullptr;
    EXPECT_EQ(display(manager, 0)->readEdid(edid), 1);
    EXPECT_EQ(edid, nullptr);
}

std::string modelNameOf(Edid* edid)
{
    std::string name;
    edid->modelName(name);
    return name;
}

TEST_F(DisplayDiscovery, TheLastMatchingDeviceDecides)
{
    const auto first = EdidBlock().name(1, "FIRST").fixChecksum().bytes;
    const auto second = EdidBlock().name(1, "SECOND").fixChecksum().bytes;
    {
        SimulatedDesk desk; // two monitors of one model
        desk.display("DP-1").withEdid(first);
        desk.display("DP-2").at(1920, 0).withEdid(second);
        desk.display("DP-3").at(3840, 0).withEdid(first).keyDoesNotOpen();
        InstalledDesk installed(desk);
        manager.refresh();
        EXPECT_EQ(manager.componentAt(0)->info().name, "SECOND");
        EXPECT_EQ(manager.componentAt(1)->info().name, "SECOND");
        EXPECT_EQ(manager.componentAt(2)->info().name, "SECOND");
    }
    {
        SimulatedDesk desk; // a later match without an "EDID" value
        desk.display("DP-1").withEdid(first);
        desk.display("DP-2").at(1920, 0).modelCode("ABC1234");
        InstalledDesk installed(desk);
        manager.refresh();
        Edid* edid = nullptr;
        EXPECT_EQ(display(manager, 0)->readEdid(edid), 1);
    }
    {
        SimulatedDesk desk; // the matching device is not present
        desk.display("DP-1").withEdid(first).notPresent();
        InstalledDesk installed(desk);
        manager.refresh();
        Edid* edid = nullptr;
        EXPECT_EQ(display(manager, 0)->readEdid(edid), 1);
    }
}

TEST_F(DisplayDiscovery, EdidValueShapes)
{
    const auto block = EdidBlock().bytes;
    std::vector<uint8_t> withExtension = block;
    withExtension.resize(256, 0xAB);
    std::vector<uint8_t> tooLong = block;
    tooLong.resize(1025, 0);

    SimulatedDesk desk;
    desk.display("DP-1").withEdid(std::vector<uint8_t>(block.begin(), block.begin() + 100));
    desk.display("DP-2").withEdid(withExtension).modelCode("EXT0001");
    desk.display("DP-3").withEdid(tooLong).modelCode("BIG0001");
    desk.display("DP-4").withEdid(block).modelCode("VAL0001").registryValue("OTHER", {0xEE, 0xEE});
    InstalledDesk installed(desk);
    manager.refresh();

    Edid* edid = nullptr;
    ASSERT_EQ(display(manager, 0)->readEdid(edid), 0);
    EXPECT_EQ(std::vector<uint8_t>(edid->bytes() + 100, edid->bytes() + 128),
              std::vector<uint8_t>(28, 0));
    ASSERT_EQ(display(manager, 1)->readEdid(edid), 0);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), edid->bytes()));
    EXPECT_EQ(display(manager, 2)->readEdid(edid), 1);
    ASSERT_EQ(display(manager, 3)->readEdid(edid), 0);
    EXPECT_EQ(modelNameOf(edid), "TEST PANEL");
}

TEST_F(DisplayDiscovery, ComponentReplacesWhatItHandedOut)
{
    SimulatedDesk desk;
    desk.display("DP-1").withEdid(EdidBlock().bytes).mode(1920, 1080).mode(1280, 720).current(0);
    desk.display("DP-2").at(1920, 0).withEdid(EdidBlock().bytes);
    InstalledDesk installed(desk);
    manager.refresh();
    auto* component = display(manager, 0);

    Edid* first = nullptr;
    Edid* second = nullptr;
    ASSERT_EQ(component->readEdid(first), 0);
    ASSERT_EQ(component->readEdid(second), 0);
    EXPECT_NE(first, nullptr);

    DisplayMode* current = nullptr;
    ASSERT_EQ(component->currentMode(current), 0);
    ASSERT_EQ(component->currentMode(current), 0);
    std::string text;
    current->resolutionText(text);
    EXPECT_EQ(text, "1920x1080");

    std::vector<DisplayMode*> modes = {nullptr};
    ASSERT_EQ(component->modes(modes), 0);
    ASSERT_EQ(component->modes(modes), 0);
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(modes[1]->width(), 1280u);

    // An output without modes: both lists end empty.
    auto* bare = display(manager, 1);
    ASSERT_EQ(bare->modes(modes), 1);
    EXPECT_TRUE(modes.empty());
    DisplayMode* unchanged = nullptr;
    EXPECT_EQ(bare->currentMode(unchanged), 1);
    EXPECT_EQ(unchanged, nullptr);
}

class FakeMode : public DisplayMode
{
public:
    int32_t apply() override { return 0; }
    uint32_t width() override { return 1920; }
    uint32_t height() override { return 1080; }
    int32_t resolutionText(std::string&) override { return 0; }
    double magnitude() override { return 0; }
    bool equals(const DisplayMode*) override { return false; }
    DisplayMode* clone() override { return new FakeMode; }
};

TEST(DisplayModeWindows, ValuesAndComparison)
{
    MonitorInfo info;
    info.device = "DP-1";
    DisplayModeWindows mode(info, ModeRecord{1366, 768, 32, 60, 0, 0});
    std::string text;
    EXPECT_EQ(mode.resolutionText(text), 0);
    EXPECT_EQ(text, "1366x768");

    DisplayModeWindows large(info, ModeRecord{3840, 2160, 32, 60, 0, 0});
    EXPECT_EQ(large.magnitude(), 15925248000.0);

    std::unique_ptr<DisplayMode> copy(mode.clone());
    EXPECT_TRUE(mode.equals(copy.get()));
    DisplayModeWindows otherRate(info, ModeRecord{1366, 768, 32, 75, 0, 0});
    EXPECT_FALSE(mode.equals(&otherRate));
    FakeMode fake;
    EXPECT_FALSE(DisplayModeWindows(info, ModeRecord{1920, 1080, 32, 60, 0, 0}).equals(&fake));
    EXPECT_FALSE(mode.equals(nullptr));
}

TEST_F(DisplayDiscovery, ApplyAndRestore)
{
    SimulatedDesk desk;
    desk.display("DP-1")
        .mode(1920, 1080)
        .mode(1280, 720)
        .mode(1024, 768, 32, 60, DisplayBackend::ChangeBadMode)
        .mode(800, 600, 32, 60, DisplayBackend::ChangeFailed)
        .current(0);
    desk.display("DP-2").at(1920, 0).mode(1920, 1080).mode(1280, 720).current(0).restoreFailing();
    InstalledDesk installed(desk);
    manager.refresh();
    auto* component = display(manager, 0);
    std::vector<DisplayMode*> modes;
    ASSERT_EQ(component->modes(modes), 0);

    EXPECT_EQ(modes[2]->apply(), 1);
    EXPECT_EQ(modes[3]->apply(), 2);
    EXPECT_EQ(installed.backend().currentModeIndex("DP-1"), 0u);
    EXPECT_EQ(modes[1]->apply(), 0);
    EXPECT_EQ(installed.backend().currentModeIndex("DP-1"), 1u);
    EXPECT_FALSE(component->restoreDisplaySettings());
    EXPECT_EQ(installed.backend().currentModeIndex("DP-1"), 0u);

    // A mode the output does not list is rejected as unsupported.
    MonitorInfo info = component->monitorInfo();
    EXPECT_EQ(DisplayModeWindows(info, ModeRecord{640, 480, 32, 60, 0, 0}).apply(), 1);

    EXPECT_TRUE(display(manager, 1)->restoreDisplaySettings());
}

} // namespace
