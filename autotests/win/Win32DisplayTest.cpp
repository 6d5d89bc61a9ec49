#include "autotests/win/WineXorgDesk.h"

#include "display/platform/DisplayBackend.h"
#include "display/platform/EdidIdentity.h"
#include "display/platform/MonitorIdentity.h"
#include "display/platform/win/DisplayChangeWatcher.h"
#include "display/platform/win/PresentMonitors.h"
#include "display/platform/win/WideText.h"
#include "display/platform/win/Win32Display.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <set>

namespace {
constexpr uint32_t attachedPrimary =
    DisplayDevice::AttachedToDesktop | DisplayDevice::PrimaryDevice;

bool sameRect(const Rect& rect, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return rect.left == left && rect.top == top && rect.right == right && rect.bottom == bottom;
}

std::string resolution(const ModeRecord& mode)
{
    return std::to_string(mode.width) + "x" + std::to_string(mode.height);
}

using Win32DisplayOnXorg = WineXorgDesk;
} // namespace

TEST_F(Win32DisplayOnXorg, listsAdaptersMonitorDevicesAndMonitorsInOrder)
{
    const std::vector<DisplayDevice> adapters = Win32Display::adapters();
    ASSERT_GE(adapters.size(), 2u);
    EXPECT_EQ(adapters[0].deviceName, "\\\\.\\DISPLAY1");
    EXPECT_EQ(adapters[0].stateFlags & attachedPrimary, attachedPrimary);
    EXPECT_EQ(adapters[1].deviceName, "\\\\.\\DISPLAY2");
    EXPECT_EQ(adapters[1].stateFlags & attachedPrimary, DisplayDevice::AttachedToDesktop);

    for (const DisplayDevice& adapter : {adapters[0], adapters[1]}) {
        const std::vector<DisplayDevice> devices =
            Win32Display::attachedDevices(adapter.deviceName);
        ASSERT_EQ(devices.size(), 1u) << adapter.deviceName;
        EXPECT_EQ(devices[0].deviceName, adapter.deviceName + "\\Monitor0");
        EXPECT_TRUE(devices[0].stateFlags & DisplayDevice::Active);
        EXPECT_EQ(devices[0].deviceId.rfind("MONITOR\\", 0), 0u) << devices[0].deviceId;
    }

    const std::vector<MonitorInfo> monitors = Win32Display::monitors();
    ASSERT_EQ(monitors.size(), 2u);
    EXPECT_EQ(monitors[0].device, "\\\\.\\DISPLAY1");
    EXPECT_TRUE(sameRect(monitors[0].rcMonitor, 0, 0, 1920, 1080));
    EXPECT_EQ(monitors[0].flags, MonitorInfo::PrimaryMonitor);
    EXPECT_EQ(monitors[1].device, "\\\\.\\DISPLAY2");
    EXPECT_TRUE(sameRect(monitors[1].rcMonitor, 1920, 0, 3200, 720));
    EXPECT_EQ(monitors[1].flags, 0u);
}

TEST_F(Win32DisplayOnXorg, listsTheServersModesWithTheCurrentOne)
{
    ModeRecord current;
    ASSERT_TRUE(Win32Display::mode("\\\\.\\DISPLAY2", -1, current));
    EXPECT_EQ(resolution(current), "1280x720");
    EXPECT_EQ(current.bitsPerPixel, 32u);
    EXPECT_EQ(current.frequency, 60u);

    for (const auto& [adapter, output] :
         {std::pair{"\\\\.\\DISPLAY1", "DUMMY0"}, std::pair{"\\\\.\\DISPLAY2", "DUMMY1"}}) {
        std::set<std::string> listed;
        for (const ModeRecord& mode : Win32Display::modes(adapter)) {
            EXPECT_GT(mode.frequency, 0u);
            listed.insert(resolution(mode));
        }
        for (const std::string& served : xrandrResolutions(output))
            EXPECT_TRUE(listed.count(served)) << served << " of " << output;
    }
    // A mode added to the server appears.
    ASSERT_TRUE(xrandr("--newmode md-win 74.25 1024 1064 1200 1328 600 603 609 630 -hsync +vsync"));
    ASSERT_TRUE(xrandr("--addmode DUMMY1 md-win"));
    const auto listsIt = [] {
        const std::vector<ModeRecord> modes = Win32Display::modes("\\\\.\\DISPLAY2");
        return std::any_of(modes.begin(), modes.end(),
                           [](const ModeRecord& mode) { return resolution(mode) == "1024x600"; });
    };
    // Wine reads the modes again after the next layout change.
    xrandr("--output DUMMY1 --mode md-win");
    EXPECT_TRUE(waitFor(listsIt));
    xrandr("--output DUMMY1 --mode 1280x720");
    xrandr("--delmode DUMMY1 md-win");
    xrandr("--rmmode md-win");
}

TEST_F(Win32DisplayOnXorg, readsEachMonitorsEdidThroughTheDeviceDatabase)
{
    const std::optional<std::vector<PresentMonitors::Device>> devices = PresentMonitors::read();
    ASSERT_TRUE(devices);
    for (const auto& [adapter, output] :
         {std::pair{"\\\\.\\DISPLAY1", "DUMMY0"}, std::pair{"\\\\.\\DISPLAY2", "DUMMY1"}}) {
        const std::string instance = Win32Display::attachedInstanceId(adapter, 0);
        const PresentMonitors::Device* device = PresentMonitors::find(*devices, instance);
        ASSERT_TRUE(device) << instance;
        EXPECT_TRUE(device->keyOpens);
        const std::vector<uint8_t> expected = sampleEdid(edidSourceOf(output));
        ASSERT_FALSE(expected.empty()) << edidSourceOf(output);
        ASSERT_TRUE(device->edid) << output;
        EXPECT_EQ(*device->edid, expected) << output;

        // The source's path is "Digital/<maker>/<model code>/<id>".
        const std::string source = edidSourceOf(output);
        const size_t model = source.find('/', source.find('/') + 1) + 1;
        EXPECT_EQ(MonitorIdentity::modelCode(*device->edid),
                  source.substr(model, source.find('/', model) - model));
        EXPECT_TRUE(EdidIdentity(*device->edid).isValid());
    }
    // Wine's own names say nothing of the monitor: identity must come from the EDID.
    EXPECT_EQ(devices->front().hardwareId, "MONITOR\\Default_Monitor");
}

TEST_F(Win32DisplayOnXorg, testsAChangeWithoutMakingIt)
{
    ModeRecord wanted;
    wanted.width = 1024;
    wanted.height = 768;
    wanted.frequency = 60;
    EXPECT_EQ(Win32Display::change("\\\\.\\DISPLAY2", &wanted, true), DISP_CHANGE_SUCCESSFUL);
    ModeRecord impossible;
    impossible.width = 12345;
    impossible.height = 777;
    EXPECT_EQ(Win32Display::change("\\\\.\\DISPLAY2", &impossible, true), DISP_CHANGE_BADMODE);
    EXPECT_EQ(Win32Display::change("\\\\.\\DISPLAY9", &wanted, true), DISP_CHANGE_BADPARAM);
    EXPECT_EQ(xrandrGeometries()["DUMMY1"], "1280x720+1920+0");
}

TEST_F(Win32DisplayOnXorg, changesAModeAndRestoresItOnTheServer)
{
    std::atomic<uint32_t> events{0};
    DisplayChangeWatcher watcher([&events](uint32_t bits) { events |= bits; });
    ASSERT_TRUE(watcher.isListening());

    ModeRecord wanted;
    wanted.width = 1024;
    wanted.height = 768;
    wanted.bitsPerPixel = 32;
    wanted.frequency = 60;
    ASSERT_EQ(Win32Display::change("\\\\.\\DISPLAY2", &wanted, false), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(xrandrGeometries()["DUMMY1"], "1024x768+1920+0");
    ModeRecord current;
    ASSERT_TRUE(Win32Display::mode("\\\\.\\DISPLAY2", -1, current));
    EXPECT_EQ(resolution(current), "1024x768");
    EXPECT_TRUE(waitFor([&events] { return events & DisplayBackend::DisplayReconfigured; }));

    ASSERT_EQ(Win32Display::change("\\\\.\\DISPLAY2", nullptr, false), DISP_CHANGE_SUCCESSFUL);
    const std::map<std::string, std::string> restored = xrandrGeometries();
    EXPECT_EQ(restored.at("DUMMY0"), "1920x1080+0+0");
    EXPECT_EQ(restored.at("DUMMY1"), "1280x720+1920+0");
}

TEST_F(Win32DisplayOnXorg, aMonitorSwitchedOffLeavesItsAdapterDetached)
{
    std::atomic<uint32_t> events{0};
    DisplayChangeWatcher watcher([&events](uint32_t bits) { events |= bits; });
    ASSERT_TRUE(xrandr("--output DUMMY1 --off"));
    ASSERT_TRUE(waitFor([] { return Win32Display::monitors().size() == 1; }));
    const std::vector<DisplayDevice> adapters = Win32Display::adapters();
    ASSERT_GE(adapters.size(), 2u);
    EXPECT_FALSE(adapters[1].stateFlags & DisplayDevice::AttachedToDesktop);
    EXPECT_TRUE(sameRect(Win32Display::monitors()[0].rcMonitor, 0, 0, 1920, 1080));
    ModeRecord current;
    EXPECT_FALSE(Win32Display::mode("\\\\.\\DISPLAY2", -1, current) && current.width > 0);
    EXPECT_TRUE(waitFor([&events] { return events & DisplayBackend::DisplayRemoved; }));
}

TEST_F(Win32DisplayOnXorg, readsTheDriverVersionFromTheAdaptersKey)
{
    const DisplayDevice adapter = Win32Display::adapters().at(0);
    // Wine's adapters carry none until one is written, as a driver would.
    EXPECT_FALSE(Win32Display::adapterDriverVersion(adapter));
    ASSERT_TRUE(setDriverVersion(adapter, L"31.0.101.4502")) << adapter.deviceKey;
    EXPECT_EQ(Win32Display::adapterDriverVersion(adapter), "31.0.101.4502");
    setDriverVersion(adapter, L"");
}

TEST(Win32DisplayOnXvfb, oneScreenWithoutEdid)
{
    if (WineDesk::server() != "xvfb")
        GTEST_SKIP() << "needs Xvfb (scripts/wine-tests.sh)";
    const std::vector<MonitorInfo> monitors = Win32Display::monitors();
    ASSERT_EQ(monitors.size(), 1u);
    EXPECT_TRUE(sameRect(monitors[0].rcMonitor, 0, 0, 1920, 1080));
    EXPECT_EQ(Win32Display::adapters().at(0).deviceName, monitors[0].device);
    EXPECT_FALSE(Win32Display::modes(monitors[0].device).empty());

    const std::optional<std::vector<PresentMonitors::Device>> devices = PresentMonitors::read();
    ASSERT_TRUE(devices);
    const PresentMonitors::Device* device =
        PresentMonitors::find(*devices, Win32Display::attachedInstanceId(monitors[0].device, 0));
    ASSERT_TRUE(device);
    EXPECT_TRUE(device->keyOpens);
    EXPECT_FALSE(device->edid);
}

TEST(WideText, convertsBothWaysAndStopsAtTheFieldsEnd)
{
    EXPECT_EQ(WideText::toUtf8(L"Bildschirm \u00fc\u20ac"), "Bildschirm \xc3\xbc\xe2\x82\xac");
    EXPECT_EQ(WideText::fromUtf8("\xc3\xbc\xe2\x82\xac"), L"\u00fc\u20ac");
    const wchar_t field[4] = {L'A', L'B', L'C', L'D'};
    EXPECT_EQ(WideText::toUtf8(field, 4), "ABCD");
    EXPECT_EQ(WideText::toUtf8(nullptr), "");
}
