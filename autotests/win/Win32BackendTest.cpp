#include "autotests/win/WineXorgDesk.h"

#include "display/platform/DisplayBackend.h"
#include "display/platform/MonitorIdentity.h"
#include "display/platform/win/Win32Backend.h"
#include "display/platform/win/Win32Display.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

namespace {
const std::string display1 = "\\\\.\\DISPLAY1";
const std::string display2 = "\\\\.\\DISPLAY2";

// The model code in a sample's source path ("Digital/Eizo/ENC2291/...").
std::string modelOf(const std::string& source)
{
    const size_t start = source.find('/', source.find('/') + 1) + 1;
    return source.substr(start, source.find('/', start) - start);
}

std::vector<MonitorInfo> monitorsOf(DisplayBackend& backend)
{
    std::vector<MonitorInfo> monitors;
    backend.enumDisplayMonitors([&](DisplayBackend::MonitorHandle handle) {
        MonitorInfo info;
        EXPECT_TRUE(backend.getMonitorInfo(handle, info));
        monitors.push_back(info);
        return true;
    });
    return monitors;
}

class Win32BackendOnXorg : public WineXorgDesk
{
protected:
    Win32Backend backend;
};
} // namespace

TEST_F(Win32BackendOnXorg, answersTheModulesQuestionsWithEachMonitorsEdid)
{
    const std::vector<MonitorInfo> monitors = monitorsOf(backend);
    ASSERT_EQ(monitors.size(), 2u);
    EXPECT_EQ(monitors[0].device, display1);
    EXPECT_EQ(monitors[0].flags, MonitorInfo::PrimaryMonitor);
    EXPECT_EQ(monitors[1].device, display2);
    EXPECT_EQ(monitors[1].rcMonitor.left, 1920);
    EXPECT_EQ(monitors[1].rcMonitor.bottom, 720);

    std::vector<MonitorDevice> present;
    ASSERT_TRUE(backend.presentMonitorDevices(present));
    for (const auto& [adapter, output] :
         {std::pair{display1, "DUMMY0"}, std::pair{display2, "DUMMY1"}}) {
        DisplayDevice device;
        ASSERT_TRUE(backend.enumDisplayDevices(adapter.c_str(), 0, device));
        EXPECT_EQ(device.deviceName, adapter + "\\Monitor0");
        EXPECT_TRUE(device.stateFlags & DisplayDevice::Active);
        // The model the EDID names, not Wine's "Default_Monitor".
        const std::string model = modelOf(edidSourceOf(output));
        EXPECT_EQ(device.deviceId.find("MONITOR\\" + model + "\\"), 0u) << device.deviceId;

        const auto entry =
            std::find_if(present.begin(), present.end(), [&](const MonitorDevice& d) {
                return d.instanceId.find(model) != std::string::npos;
            });
        ASSERT_NE(entry, present.end()) << model;
        const auto edid =
            std::find_if(entry->hardwareKeyValues.begin(), entry->hardwareKeyValues.end(),
                         [](const RegistryValue& value) { return value.name == "EDID"; });
        ASSERT_NE(edid, entry->hardwareKeyValues.end());
        EXPECT_EQ(edid->data, sampleEdid(edidSourceOf(output)));

        OutputView view;
        ASSERT_TRUE(backend.describeDevice(adapter, device.deviceName, view));
        EXPECT_EQ(view.edid, edid->data);
        EXPECT_FALSE(view.modes.empty());
    }

    ModeRecord current;
    ASSERT_TRUE(backend.enumDisplaySettings(display2, DisplayBackend::CurrentSettings, current));
    EXPECT_EQ(current.width, 1280u);
    EXPECT_EQ(current.height, 720u);
    EXPECT_EQ(current.frequency, 60u);
    ModeRecord listed;
    ASSERT_TRUE(backend.enumDisplaySettings(display2, 0, listed));
}

TEST_F(Win32BackendOnXorg, changesOnlyWhatTheSystemWouldAcceptAndRestores)
{
    // Its own changes are no system events for the running test.
    std::atomic<uint32_t> events{0};
    backend.setChangeCallback([&events](uint32_t bits) { events |= bits; });

    ModeRecord impossible;
    impossible.width = 12345;
    impossible.height = 777;
    impossible.frequency = 60;
    EXPECT_EQ(backend.changeDisplaySettings(display2, &impossible), DisplayBackend::ChangeBadMode);
    EXPECT_EQ(backend.changeDisplaySettings("\\\\.\\DISPLAY7", &impossible),
              DisplayBackend::ChangeBadParam);
    EXPECT_EQ(xrandrGeometries()["DUMMY1"], "1280x720+1920+0");

    // A mode as the module has it from the list.
    ModeRecord wanted;
    bool found = false;
    for (int32_t i = 0; !found && backend.enumDisplaySettings(display2, i, wanted); ++i)
        found = wanted.width == 1024 && wanted.height == 768 && wanted.frequency == 60 &&
                wanted.bitsPerPixel == 32;
    ASSERT_TRUE(found);
    ASSERT_EQ(backend.changeDisplaySettings(display2, &wanted), DisplayBackend::ChangeSuccessful);
    EXPECT_EQ(xrandrGeometries()["DUMMY1"], "1024x768+1920+0");
    ModeRecord current;
    ASSERT_TRUE(backend.enumDisplaySettings(display2, DisplayBackend::CurrentSettings, current));
    EXPECT_EQ(current.width, 1024u);

    ASSERT_EQ(backend.changeDisplaySettings(display2, nullptr), DisplayBackend::ChangeSuccessful);
    EXPECT_EQ(xrandrGeometries()["DUMMY1"], "1280x720+1920+0");
    EXPECT_EQ(xrandrGeometries()["DUMMY0"], "1920x1080+0+0");
    EXPECT_FALSE(waitFor([&events] { return events != 0; }, 3000)) << "events " << events;
    backend.setChangeCallback(nullptr);
}

TEST_F(Win32BackendOnXorg, reportsAMonitorSwitchedOffAndListsItsOutputAsOff)
{
    std::atomic<uint32_t> events{0};
    backend.setChangeCallback([&events](uint32_t bits) { events |= bits; });
    ASSERT_TRUE(xrandr("--output DUMMY1 --off"));
    EXPECT_TRUE(waitFor([&events] { return events & DisplayBackend::DisplayRemoved; }));
    backend.setChangeCallback(nullptr);

    ASSERT_TRUE(waitFor([this] { return monitorsOf(backend).size() == 1; }));
    DisplayDevice adapter;
    ASSERT_TRUE(backend.enumDisplayDevices(nullptr, 1, adapter));
    EXPECT_EQ(adapter.deviceName, display2);
    EXPECT_FALSE(adapter.stateFlags & DisplayDevice::AttachedToDesktop);
    ModeRecord current;
    EXPECT_FALSE(backend.enumDisplaySettings(display2, DisplayBackend::CurrentSettings, current));
}

TEST_F(Win32BackendOnXorg, givesEachMonitorItsAdaptersDriverVersion)
{
    const DisplayDevice adapter = Win32Display::adapters().at(0);
    ASSERT_TRUE(setDriverVersion(adapter, L"31.0.101.4502")) << adapter.deviceKey;
    std::vector<MonitorClassDevice> devices;
    ASSERT_TRUE(backend.monitorClassDevices(devices));
    setDriverVersion(adapter, L"");
    const std::string hardwareId = MonitorIdentity::hardwareId(modelOf(edidSourceOf("DUMMY0")));
    const auto device =
        std::find_if(devices.begin(), devices.end(),
                     [&](const MonitorClassDevice& d) { return d.hardwareId == hardwareId; });
    ASSERT_NE(device, devices.end()) << hardwareId;
    EXPECT_EQ(device->driverVersion, "31.0.101.4502");
}

TEST(Win32BackendOnXvfb, oneMonitorWithoutEdidKeepsTheSystemsName)
{
    if (WineDesk::server() != "xvfb")
        GTEST_SKIP() << "needs Xvfb (scripts/wine-tests.sh)";
    Win32Backend backend;
    ASSERT_EQ(monitorsOf(backend).size(), 1u);
    DisplayDevice device;
    ASSERT_TRUE(backend.enumDisplayDevices(display1.c_str(), 0, device));
    EXPECT_EQ(device.deviceId.rfind("MONITOR\\Default_Monitor", 0), 0u) << device.deviceId;
    OutputView view;
    ASSERT_TRUE(backend.describeDevice(display1, device.deviceName, view));
    EXPECT_TRUE(view.edid.empty());
    EXPECT_EQ(view.width, 1920u);
}
