#include "EdidSampleFile.h"
#include "FakeDrmTree.h"

#include "display/platform/MonitorIdentity.h"
#include "display/platform/drm/DrmBackend.h"

#include <QDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

std::vector<DisplayBackend::MonitorHandle> monitorsOf(DisplayBackend& backend)
{
    std::vector<DisplayBackend::MonitorHandle> monitors;
    EXPECT_TRUE(backend.enumDisplayMonitors([&](DisplayBackend::MonitorHandle monitor) {
        monitors.push_back(monitor);
        return true;
    }));
    return monitors;
}

const std::string Dell = "Digital/Dell/DEL4237/BAFBF2EF0A62";
const std::string BenQ = "Digital/BenQ/BNQ76BE/82ED11E364D3";

} // namespace

TEST(DrmBackend, ConnectedEnabledConnectorsAreMonitorsInNaturalOrder)
{
    FakeDrmTree drm;
    drm.connector("card0-DP-10", "connected", true, EdidSampleFile::bySource(Dell).full,
                  "2560x1440\n1920x1080\n");
    drm.connector("card0-DP-2", "connected", true, EdidSampleFile::bySource(BenQ).full,
                  "1280x1024\n1024x768\n");
    drm.connector("card0-HDMI-A-1", "disconnected", false, {}, "");
    drm.connector("card0-eDP-1", "connected", false, {}, "1366x768\n");
    drm.file("card0/dev", "226:0\n"); // the card itself is no connector
    drm.file("version", "drm 1.1.0 20060810\n");
    DrmBackend backend(drm.sysfs(), drm.dev());

    const auto monitors = monitorsOf(backend);
    ASSERT_EQ(monitors.size(), 2u);
    MonitorInfo first;
    MonitorInfo second;
    ASSERT_TRUE(backend.getMonitorInfo(monitors[0], first));
    ASSERT_TRUE(backend.getMonitorInfo(monitors[1], second));
    // Without the kernel's placement the monitors sit side by side at their
    // preferred (first) modes.
    EXPECT_EQ(first.device, "card0-DP-2");
    EXPECT_EQ(first.rcMonitor.left, 0);
    EXPECT_EQ(first.rcMonitor.right, 1280);
    EXPECT_EQ(first.rcMonitor.bottom, 1024);
    EXPECT_EQ(second.device, "card0-DP-10");
    EXPECT_EQ(second.rcMonitor.left, 1280);
    EXPECT_EQ(second.rcMonitor.right, 1280 + 2560);

    // Adapters are all connectors; each connected one has one attached device,
    // active only when enabled.
    std::vector<std::string> adapters;
    DisplayDevice device;
    for (uint32_t i = 0; backend.enumDisplayDevices(nullptr, i, device); ++i)
        adapters.push_back(device.deviceName);
    EXPECT_EQ(adapters, (std::vector<std::string>{"card0-DP-2", "card0-DP-10", "card0-HDMI-A-1",
                                                  "card0-eDP-1"}));
    ASSERT_TRUE(backend.enumDisplayDevices("card0-DP-10", 0, device));
    EXPECT_EQ(device.stateFlags & DisplayDevice::Active, DisplayDevice::Active);
    EXPECT_NE(device.deviceId.find("\\DEL4237\\"), std::string::npos);
    EXPECT_FALSE(backend.enumDisplayDevices("card0-DP-10", 1, device));
    EXPECT_FALSE(backend.enumDisplayDevices("card0-HDMI-A-1", 0, device));
    ASSERT_TRUE(backend.enumDisplayDevices("card0-eDP-1", 0, device));
    EXPECT_EQ(device.stateFlags & DisplayDevice::Active, 0u);
    // No EDID: the identifier has no model segment for the search to use.
    EXPECT_EQ(device.deviceId.find('\\', device.deviceId.find('\\') + 1), std::string::npos);
}

TEST(DrmBackend, ModesComeFromSysfsAndNothingCanBeChanged)
{
    FakeDrmTree drm;
    drm.connector("card0-HDMI-A-1", "connected", true, EdidSampleFile::bySource(Dell).full,
                  "2560x1440\n1920x1080i\nbogus\n1280x720\n");
    DrmBackend backend(drm.sysfs(), drm.dev());

    std::vector<std::pair<uint32_t, uint32_t>> sizes;
    ModeRecord mode;
    for (int32_t i = 0; backend.enumDisplaySettings("card0-HDMI-A-1", i, mode); ++i) {
        sizes.emplace_back(mode.width, mode.height);
        EXPECT_EQ(mode.bitsPerPixel, 32u);
    }
    EXPECT_EQ(sizes, (std::vector<std::pair<uint32_t, uint32_t>>{
                         {2560, 1440}, {1920, 1080}, {1280, 720}}));
    // Which mode runs only the kernel knows; sysfs alone cannot say.
    EXPECT_FALSE(
        backend.enumDisplaySettings("card0-HDMI-A-1", DisplayBackend::CurrentSettings, mode));
    EXPECT_FALSE(backend.enumDisplaySettings("card9-DP-1", 0, mode));

    ModeRecord listed;
    ASSERT_TRUE(backend.enumDisplaySettings("card0-HDMI-A-1", 1, listed));
    EXPECT_EQ(backend.changeDisplaySettings("card0-HDMI-A-1", &listed),
              DisplayBackend::ChangeFailed);
    EXPECT_EQ(backend.changeDisplaySettings("card0-HDMI-A-1", nullptr),
              DisplayBackend::ChangeFailed);
}

// Every real EDID, each on a connector of its own: the device's identifier
// carries the model code that finds its EDID among the present devices.
TEST(DrmBackend, EveryRealEdidIsFoundByItsModelCode)
{
    const auto& samples = EdidSampleFile::all();
    ASSERT_GE(samples.size(), 200u);
    FakeDrmTree drm;
    for (size_t i = 0; i < samples.size(); ++i)
        drm.connector("card0-DP-" + std::to_string(i + 1), "connected", true, samples[i].full,
                      "1024x768\n");
    DrmBackend backend(drm.sysfs(), drm.dev());

    std::vector<MonitorDevice> present;
    ASSERT_TRUE(backend.presentMonitorDevices(present));
    ASSERT_EQ(present.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(samples[i].source);
        DisplayDevice device;
        ASSERT_TRUE(
            backend.enumDisplayDevices(("card0-DP-" + std::to_string(i + 1)).c_str(), 0, device));
        const size_t first = device.deviceId.find('\\');
        const std::string model =
            device.deviceId.substr(first + 1, device.deviceId.find('\\', first + 1) - first - 1);
        if (!samples[i].mutated) {
            EXPECT_EQ(model, samples[i].modelCode);
        }
        EXPECT_NE(present[i].instanceId.find(model), std::string::npos);
        ASSERT_EQ(present[i].hardwareKeyValues.size(), 1u);
        EXPECT_EQ(present[i].hardwareKeyValues[0].name, "EDID");
        EXPECT_EQ(present[i].hardwareKeyValues[0].data, samples[i].full);
    }
    std::vector<MonitorClassDevice> classes;
    ASSERT_TRUE(backend.monitorClassDevices(classes));
    ASSERT_EQ(classes.size(), samples.size());
    EXPECT_EQ(classes[0].hardwareId, MonitorIdentity::hardwareId(samples[0].modelCode));
    EXPECT_FALSE(classes[0].driverVersion.has_value());
}

TEST(DrmBackend, BrokenTreesGiveFewerDevicesNotErrors)
{
    FakeDrmTree drm;
    const auto& full = EdidSampleFile::bySource(BenQ).full;
    drm.connector("card0-DP-1", "connected", true,
                  std::vector<uint8_t>(full.begin(), full.begin() + 60), "");
    drm.connector("card0-DP-2", "unknown", true, full, "1280x1024\n");
    DrmBackend backend(drm.sysfs(), drm.dev());

    // A short EDID is no EDID; a connector without modes is still a monitor.
    std::vector<MonitorDevice> present;
    ASSERT_TRUE(backend.presentMonitorDevices(present));
    ASSERT_EQ(present.size(), 1u);
    EXPECT_TRUE(present[0].hardwareKeyValues.empty());
    EXPECT_EQ(monitorsOf(backend).size(), 1u);
    ModeRecord mode;
    EXPECT_FALSE(backend.enumDisplaySettings("card0-DP-1", 0, mode));

    DrmBackend missing(drm.sysfs() + "/nothing-here", drm.dev());
    EXPECT_TRUE(monitorsOf(missing).empty());
    EXPECT_TRUE(missing.presentMonitorDevices(present));
    EXPECT_TRUE(present.empty());
    MonitorInfo info;
    EXPECT_FALSE(missing.getMonitorInfo(1, info));
}

TEST(DrmBackend, DriverVersionComesFromTheDriverModule)
{
    FakeDrmTree drm;
    drm.connector("card0-DP-1", "connected", true, EdidSampleFile::bySource(BenQ).full,
                  "1280x1024\n");
    drm.file("drivers/fakegpu/module/version", "2.4.1\n");
    QDir().mkpath(QString::fromStdString(drm.sysfs() + "/card0/device"));
    ASSERT_EQ(symlink("../../drivers/fakegpu", (drm.sysfs() + "/card0/device/driver").c_str()), 0);
    DrmBackend backend(drm.sysfs(), drm.dev());

    std::vector<MonitorClassDevice> classes;
    ASSERT_TRUE(backend.monitorClassDevices(classes));
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_EQ(classes[0].hardwareId, "MONITOR\\BNQ76BE");
    EXPECT_EQ(classes[0].driverVersion, std::optional<std::string>("fakegpu 2.4.1"));
}
