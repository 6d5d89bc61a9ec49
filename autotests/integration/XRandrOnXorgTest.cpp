#include "EdidSampleFile.h"
#include "FakeDrmTree.h"
#include "XServerSetup.h"

#include "display/platform/DisplayPlatform.h"
#include "display/platform/x11/XRandrBackend.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace {

const std::string Eizo = "Digital/Eizo/ENC2291/F367AC7049CD"; // 1920x1080
const std::string BenQ = "Digital/BenQ/BNQ76BE/82ED11E364D3"; // 1280x1024
const std::string Dell = "Digital/Dell/DEL4237/BAFBF2EF0A62"; // 2560x1440, two blocks

struct Monitor
{
    DisplayBackend::MonitorHandle handle;
    MonitorInfo info;
};

// The RandR backend against the running dummy Xorg, each test starting from
// the two-output desk with real EDIDs on both outputs.
class XRandrOnXorg : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!setup.isOpen())
            GTEST_SKIP() << "no X server (run through scripts/integration.sh)";
        setup.twoOutputs();
        ASSERT_TRUE(setup.setProperty("DUMMY0", "EDID", EdidSampleFile::bySource(Eizo).full));
        ASSERT_TRUE(setup.setProperty("DUMMY1", "EDID", EdidSampleFile::bySource(BenQ).full));
        std::string error;
        backend = XRandrBackend::open(nullptr, &error);
        ASSERT_TRUE(backend) << error;
    }
    void TearDown() override
    {
        backend.reset();
        if (setup.isOpen())
            setup.twoOutputs();
    }

    std::vector<Monitor> monitors()
    {
        std::vector<Monitor> found;
        EXPECT_TRUE(backend->enumDisplayMonitors([&](DisplayBackend::MonitorHandle handle) {
            Monitor monitor{handle, {}};
            EXPECT_TRUE(backend->getMonitorInfo(handle, monitor.info));
            found.push_back(monitor);
            return true;
        }));
        return found;
    }
    std::vector<DisplayDevice> attached(const std::string& adapter)
    {
        std::vector<DisplayDevice> devices;
        DisplayDevice device;
        for (uint32_t i = 0; backend->enumDisplayDevices(adapter.c_str(), i, device); ++i)
            devices.push_back(device);
        return devices;
    }
    ModeRecord listedMode(const std::string& output, uint32_t width, uint32_t height)
    {
        ModeRecord mode;
        for (int32_t i = 0; backend->enumDisplaySettings(output, i, mode); ++i)
            if (mode.width == width && mode.height == height)
                return mode;
        ADD_FAILURE() << output << " lists no " << width << "x" << height;
        return {};
    }

    XServerSetup setup;
    std::unique_ptr<XRandrBackend> backend;
};

std::string modelOf(const std::string& deviceId)
{
    const size_t first = deviceId.find('\\');
    const size_t second = deviceId.find('\\', first + 1);
    return second == std::string::npos ? "" : deviceId.substr(first + 1, second - first - 1);
}

} // namespace

TEST_F(XRandrOnXorg, TwoOutputsAreTwoMonitorsWithTheirRectanglesAndDevices)
{
    const auto found = monitors();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].info.device, "DUMMY0");
    EXPECT_EQ(found[0].info.rcMonitor.left, 0);
    EXPECT_EQ(found[0].info.rcMonitor.right, 1920);
    EXPECT_EQ(found[0].info.rcMonitor.bottom, 1080);
    EXPECT_EQ(found[0].info.flags, MonitorInfo::PrimaryMonitor);
    EXPECT_EQ(found[1].info.device, "DUMMY1");
    EXPECT_EQ(found[1].info.rcMonitor.left, 1920);
    EXPECT_EQ(found[1].info.rcMonitor.top, 0);
    EXPECT_EQ(found[1].info.rcMonitor.right, 1920 + 1280);
    EXPECT_EQ(found[1].info.rcMonitor.bottom, 1024);
    EXPECT_EQ(found[1].info.flags, 0u);

    // Every output is an adapter; the driven ones carry their monitor.
    DisplayDevice adapter;
    uint32_t adapters = 0;
    while (backend->enumDisplayDevices(nullptr, adapters, adapter))
        ++adapters;
    EXPECT_EQ(adapters, 16u);
    const auto first = attached("DUMMY0");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].stateFlags & DisplayDevice::Active, DisplayDevice::Active);
    EXPECT_EQ(modelOf(first[0].deviceId), "ENC2291");
    const auto second = attached("DUMMY1");
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(modelOf(second[0].deviceId), "BNQ76BE");
    EXPECT_TRUE(attached("DUMMY5").empty());
}

TEST_F(XRandrOnXorg, PresentDevicesCarryTheWholeEdidUnderTheirModelCode)
{
    ASSERT_TRUE(setup.setProperty("DUMMY1", "EDID", EdidSampleFile::bySource(Dell).full));
    std::vector<MonitorDevice> present;
    ASSERT_TRUE(backend->presentMonitorDevices(present));
    ASSERT_GE(present.size(), 2u); // outputs once driven by the dummy stay connected
    EXPECT_NE(present[0].instanceId.find("ENC2291"), std::string::npos);
    EXPECT_NE(present[1].instanceId.find("DEL4237"), std::string::npos);
    ASSERT_EQ(present[1].hardwareKeyValues.size(), 1u);
    EXPECT_EQ(present[1].hardwareKeyValues[0].name, "EDID");
    EXPECT_EQ(present[1].hardwareKeyValues[0].data, EdidSampleFile::bySource(Dell).full);
    EXPECT_EQ(present[1].hardwareKeyValues[0].data.size(), 256u);

    std::vector<MonitorClassDevice> classes;
    ASSERT_TRUE(backend->monitorClassDevices(classes));
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(classes[0].hardwareId, "MONITOR\\ENC2291");
    EXPECT_FALSE(classes[0].driverVersion.has_value()); // no kernel driver behind the dummy
}

TEST_F(XRandrOnXorg, MalformedOrMissingEdidPropertiesLeaveTheDeviceWithoutModel)
{
    const auto& edid = EdidSampleFile::bySource(BenQ).full;
    struct Row
    {
        const char* what;
        std::vector<uint8_t> bytes;
        int format;
        bool integer;
        std::string model;
    };
    const Row rows[] = {
        {"32-bit items", edid, 32, true, ""},
        {"cardinal type", edid, 8, false, ""},
        {"shorter than a block", std::vector<uint8_t>(edid.begin(), edid.begin() + 40), 8, true,
         ""},
        {"empty", {}, 8, true, ""},
        {"well formed", edid, 8, true, "BNQ76BE"},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(setup.setProperty("DUMMY1", "EDID", row.bytes, row.format, row.integer));
        const auto devices = attached("DUMMY1");
        ASSERT_EQ(devices.size(), 1u) << row.what;
        EXPECT_EQ(modelOf(devices[0].deviceId), row.model) << row.what;
    }
    // The older property names are read when "EDID" is absent.
    setup.deleteProperty("DUMMY1", "EDID");
    EXPECT_EQ(modelOf(attached("DUMMY1")[0].deviceId), "");
    ASSERT_TRUE(setup.setProperty("DUMMY1", "EDID_DATA", edid));
    EXPECT_EQ(modelOf(attached("DUMMY1")[0].deviceId), "BNQ76BE");
}

TEST_F(XRandrOnXorg, ModesFollowTheServersOrderAndTheCurrentOneIsTheCrtcs)
{
    // xrandr --verbose prints each mode of an output as a line with its id,
    // then its horizontal and vertical timings with the vertical clock.
    std::string verbose;
    ASSERT_EQ(XServerSetup::run("xrandr --verbose", &verbose), 0);
    std::istringstream lines(verbose.substr(verbose.find("DUMMY0 connected")));
    std::getline(lines, verbose);
    std::vector<ModeRecord> expected;
    uint64_t current = 0;
    for (std::string line; std::getline(lines, line) && !line.empty() &&
                           std::isspace(static_cast<unsigned char>(line[0]));) {
        const size_t id = line.find(" (0x");
        double hertz = 0;
        if (line.compare(0, 2, "  ") == 0 && line[2] != ' ' && id != std::string::npos) {
            expected.emplace_back();
            expected.back().nativeId = std::stoull(line.substr(id + 2), nullptr, 16);
            if (line.find("*current") != std::string::npos)
                current = expected.back().nativeId;
        } else if (expected.empty()) {
            continue;
        } else if (std::sscanf(line.c_str(), " h: width %u", &expected.back().width) == 1) {
        } else if (std::sscanf(line.c_str(), " v: height %u", &expected.back().height) == 1) {
            const size_t clock = line.rfind("clock");
            if (clock != std::string::npos &&
                std::sscanf(line.c_str() + clock, "clock %lfHz", &hertz) == 1)
                expected.back().frequency = uint32_t(std::lround(hertz));
        }
    }
    ASSERT_GT(expected.size(), 10u);

    ModeRecord mode;
    size_t count = 0;
    for (int32_t i = 0; backend->enumDisplaySettings("DUMMY0", i, mode); ++i, ++count) {
        ASSERT_LT(count, expected.size());
        EXPECT_EQ(mode.width, expected[count].width) << i;
        EXPECT_EQ(mode.height, expected[count].height) << i;
        EXPECT_EQ(mode.nativeId, expected[count].nativeId) << i;
        EXPECT_EQ(mode.frequency, expected[count].frequency) << i;
        EXPECT_EQ(mode.bitsPerPixel, 24u);
    }
    EXPECT_EQ(count, expected.size());

    ASSERT_TRUE(backend->enumDisplaySettings("DUMMY0", DisplayBackend::CurrentSettings, mode));
    EXPECT_EQ(mode.nativeId, current);
    EXPECT_EQ(mode.width, 1920u);
    EXPECT_EQ(mode.height, 1080u);
    EXPECT_FALSE(backend->enumDisplaySettings("DUMMY7", DisplayBackend::CurrentSettings, mode));
    EXPECT_FALSE(backend->enumDisplaySettings("NOSUCH", 0, mode));
}

TEST_F(XRandrOnXorg, ApplyingAListedModeChangesTheServerAndRestoringReturnsIt)
{
    const ModeRecord smaller = listedMode("DUMMY0", 1600, 1200);
    ASSERT_EQ(backend->changeDisplaySettings("DUMMY0", &smaller), DisplayBackend::ChangeSuccessful);
    EXPECT_EQ(XServerSetup::geometry("DUMMY0"), "1600x1200+0+0");
    // The taller mode needed a taller screen.
    EXPECT_EQ(XServerSetup::screenSize(), std::make_pair(3200, 1200));

    ASSERT_EQ(backend->changeDisplaySettings("DUMMY0", nullptr), DisplayBackend::ChangeSuccessful);
    EXPECT_EQ(XServerSetup::geometry("DUMMY0"), "1920x1080+0+0");
    EXPECT_EQ(XServerSetup::geometry("DUMMY1"), "1280x1024+1920+0");
    EXPECT_EQ(XServerSetup::screenSize(), std::make_pair(3200, 1080));

    // Restoring what never changed changes nothing.
    EXPECT_EQ(backend->changeDisplaySettings("DUMMY1", nullptr), DisplayBackend::ChangeSuccessful);
    EXPECT_EQ(XServerSetup::geometry("DUMMY1"), "1280x1024+1920+0");
}

TEST_F(XRandrOnXorg, RestoringReturnsTheConfigurationFirstSeenEvenAfterOthersChangedIt)
{
    ASSERT_EQ(monitors().size(), 2u); // the backend sees the desk now
    XServerSetup::run("xrandr --output DUMMY1 --mode 1280x1024 --pos 0x1080");
    ASSERT_EQ(XServerSetup::geometry("DUMMY1"), "1280x1024+0+1080");
    ASSERT_EQ(backend->changeDisplaySettings("DUMMY1", nullptr), DisplayBackend::ChangeSuccessful);
    EXPECT_EQ(XServerSetup::geometry("DUMMY1"), "1280x1024+1920+0");

    // An output first seen off is turned off again.
    XServerSetup::run("xrandr --addmode DUMMY2 1280x1024");
    ASSERT_EQ(XServerSetup::run("xrandr --output DUMMY2 --mode 1280x1024 --pos 3200x0"), 0);
    ASSERT_EQ(backend->changeDisplaySettings("DUMMY2", nullptr), DisplayBackend::ChangeSuccessful);
    EXPECT_EQ(XServerSetup::geometry("DUMMY2"), "");
    EXPECT_EQ(XServerSetup::screenSize(), std::make_pair(3200, 1080));
}

TEST_F(XRandrOnXorg, UnlistedModesAreRefusedAndChangeNothing)
{
    ModeRecord unlisted = listedMode("DUMMY1", 1280, 1024);
    struct Row
    {
        const char* what;
        ModeRecord mode;
    };
    ModeRecord otherSize = unlisted;
    otherSize.width = 1234;
    otherSize.nativeId = 0;
    ModeRecord otherDepth = unlisted;
    otherDepth.bitsPerPixel = 16;
    ModeRecord otherRate = unlisted;
    otherRate.frequency = 144;
    // A mode only DUMMY0 lists.
    XServerSetup::run("xrandr --newmode md-only0 60.00 1000 1040 1120 1300 700 701 704 770");
    ASSERT_EQ(XServerSetup::run("xrandr --addmode DUMMY0 md-only0"), 0);
    ModeRecord foreign = listedMode("DUMMY0", 1000, 700);
    for (const Row& row : {Row{"size", otherSize}, Row{"depth", otherDepth}, Row{"rate", otherRate},
                           Row{"other output's", foreign}}) {
        EXPECT_EQ(backend->changeDisplaySettings("DUMMY1", &row.mode),
                  DisplayBackend::ChangeBadMode)
            << row.what;
    }
    EXPECT_EQ(XServerSetup::geometry("DUMMY1"), "1280x1024+1920+0");
    EXPECT_EQ(backend->changeDisplaySettings("NOSUCH", &unlisted), DisplayBackend::ChangeFailed);
}

TEST_F(XRandrOnXorg, AModeTheScreenCannotHoldFailsAndChangesNothing)
{
    XServerSetup::run("xrandr --newmode md-wide 173.00 1920 2048 2248 2576 1080 1083 1088 1120");
    ASSERT_EQ(XServerSetup::run("xrandr --addmode DUMMY1 md-wide"), 0);
    ASSERT_EQ(XServerSetup::run("xrandr --output DUMMY1 --mode 1280x1024 --pos 31000x0"), 0);
    const auto before = XServerSetup::screenSize();
    // 31000 + 1920 is beyond the largest screen the server allows.
    const ModeRecord wide = listedMode("DUMMY1", 1920, 1080);
    EXPECT_EQ(backend->changeDisplaySettings("DUMMY1", &wide), DisplayBackend::ChangeFailed);
    EXPECT_EQ(XServerSetup::geometry("DUMMY1"), "1280x1024+31000+0");
    EXPECT_EQ(XServerSetup::screenSize(), before);
}

TEST_F(XRandrOnXorg, DisabledOutputIsAnInactiveDeviceWithoutMonitor)
{
    ASSERT_EQ(XServerSetup::run("xrandr --output DUMMY1 --off"), 0);
    const auto found = monitors();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].info.device, "DUMMY0");
    const auto devices = attached("DUMMY1");
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].stateFlags & DisplayDevice::Active, 0u);
    ModeRecord mode;
    EXPECT_FALSE(backend->enumDisplaySettings("DUMMY1", DisplayBackend::CurrentSettings, mode));
    // Listed modes stay listed, but there is no CRTC to switch.
    const ModeRecord listed = listedMode("DUMMY1", 1280, 1024);
    EXPECT_EQ(backend->changeDisplaySettings("DUMMY1", &listed), DisplayBackend::ChangeFailed);
}

// Taking a mode off an output sends no notification, so the backend still
// believes it listed: it grows the screen for the taller mode, the server
// refuses the switch, and everything is put back.
TEST_F(XRandrOnXorg, AModeRemovedAfterListingIsRefusedAndTheScreenPutBack)
{
    XServerSetup::run("xrandr --newmode md-gone 90.00 1000 1040 1120 1300 1300 1301 1304 1370");
    ASSERT_EQ(XServerSetup::run("xrandr --addmode DUMMY1 md-gone"), 0);
    const ModeRecord gone = listedMode("DUMMY1", 1000, 1300);
    ASSERT_EQ(XServerSetup::run("xrandr --delmode DUMMY1 md-gone"), 0);
    EXPECT_EQ(backend->changeDisplaySettings("DUMMY1", &gone), DisplayBackend::ChangeBadMode);
    EXPECT_EQ(XServerSetup::geometry("DUMMY1"), "1280x1024+1920+0");
    EXPECT_EQ(XServerSetup::screenSize(), std::make_pair(3200, 1080));
    ModeRecord mode;
    for (int32_t i = 0; backend->enumDisplaySettings("DUMMY1", i, mode); ++i)
        EXPECT_NE(mode.nativeId, gone.nativeId);
    XServerSetup::run("xrandr --rmmode md-gone");
}

TEST_F(XRandrOnXorg, TheDefaultChoiceIsX11WhenTheServerOpens)
{
    std::string reason;
    const auto chosen = DisplayPlatform::createDefault(&reason);
    ASSERT_TRUE(chosen);
    if (std::getenv("WAYLAND_DISPLAY"))
        GTEST_SKIP() << "running inside a Wayland session";
    EXPECT_EQ(chosen->name(), "x11");
    EXPECT_NE(reason.find("RandR"), std::string::npos) << reason;
}

TEST_F(XRandrOnXorg, DriverVersionComesFromTheDrmConnectorShowingTheSameEdid)
{
    FakeDrmTree drm;
    drm.connector("card0-DP-1", "connected", true, EdidSampleFile::bySource(BenQ).full, "");
    drm.connector("card1-HDMI-A-1", "connected", true, EdidSampleFile::bySource(Eizo).full, "");
    drm.file("drivers/gpu-a/module/version", "1.0.7\n");
    drm.file("drivers/gpu-b/module/version", "3.2.1\n");
    QDir().mkpath(QString::fromStdString(drm.sysfs() + "/card0/device"));
    QDir().mkpath(QString::fromStdString(drm.sysfs() + "/card1/device"));
    ASSERT_EQ(symlink("../../drivers/gpu-a", (drm.sysfs() + "/card0/device/driver").c_str()), 0);
    ASSERT_EQ(symlink("../../drivers/gpu-b", (drm.sysfs() + "/card1/device/driver").c_str()), 0);
    backend->setDrmRoots(drm.sysfs(), drm.dev());

    std::vector<MonitorClassDevice> classes;
    ASSERT_TRUE(backend->monitorClassDevices(classes));
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(classes[0].hardwareId, "MONITOR\\ENC2291");
    EXPECT_EQ(classes[0].driverVersion, std::optional<std::string>("gpu-b 3.2.1"));
    EXPECT_EQ(classes[1].hardwareId, "MONITOR\\BNQ76BE");
    EXPECT_EQ(classes[1].driverVersion, std::optional<std::string>("gpu-a 1.0.7"));
}
