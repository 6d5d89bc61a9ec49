#include "EdidSampleFile.h"

#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"
#include "display/DisplayMode.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/drm/DrmBackend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

// The module's discovery over the kernel's view of a console: connected and
// enabled connectors become displays in natural order, laid out side by side
// at their first modes, with the version of their card's driver; a short EDID
// is no EDID and odd mode names are skipped; no current mode is known and
// nothing can be changed. (Decoding every real EDID is the sim-backed
// discovery test's job; the backends share the monitor identity code.)
TEST(DrmDiscovery, ConnectorsBecomeDisplaysWithTheirEdidProperties)
{
    // A /sys/class/drm made of files in a temporary folder, for the backend
    // to read; no device nodes (an empty /dev/dri beside it).
    QTemporaryDir dir;
    const std::string sysfs = dir.path().toStdString() + "/sys";
    const auto write = [&](const std::string& relative, const std::string& bytes) {
        const QString path = QString::fromStdString(sysfs + "/" + relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes.data(), qint64(bytes.size()));
    };
    const auto connector = [&](const std::string& name, const std::string& status, bool enabled,
                               const std::vector<uint8_t>& edid, const std::string& modes) {
        write(name + "/status", status + "\n");
        write(name + "/enabled", enabled ? "enabled\n" : "disabled\n");
        write(name + "/edid", std::string(edid.begin(), edid.end()));
        write(name + "/modes", modes);
    };
    const auto& benq = EdidSampleFile::bySource(BenQ).full;
    connector("card0-DP-10", "connected", true, EdidSampleFile::bySource(Eizo).full,
              "1920x1080\n1280x720\n");
    connector("card0-DP-2", "connected", true, EdidSampleFile::bySource(Dell).full,
              "1920x1080\n1280x720\n");
    connector("card0-DP-3", "unknown", true, benq, "1280x1024\n");
    connector("card0-HDMI-A-1", "disconnected", false, {}, "");
    connector("card0-eDP-1", "connected", false, benq, "1280x1024\n");
    connector("card1-DP-1", "connected", true, {benq.begin(), benq.begin() + 60},
              "1024x768\nbogus\n800x600i\n");
    write("drivers/fakegpu/module/version", "2.4.1\n");
    QDir().mkpath(QString::fromStdString(sysfs + "/card0/device"));
    ASSERT_EQ(symlink("../../drivers/fakegpu", (sysfs + "/card0/device/driver").c_str()), 0);
    DisplayPlatform::install(
        std::make_unique<DrmBackend>(sysfs, dir.path().toStdString() + "/dev"));
    DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
    manager.refresh();

    ASSERT_EQ(manager.componentCount(), 3u);
    const auto display = [&](uint32_t i) {
        return dynamic_cast<DisplayInterfaceComponentWindows*>(manager.componentAt(i));
    };
    for (const auto& [i, source] : {std::pair{0u, Dell}, {1u, Eizo}}) {
        Properties expected = displayProperties("dpy" + std::to_string(i + 1), "", source);
        expected.emplace_back("DRIVER_VERSION", "fakegpu 2.4.1"); // the driver behind card0
        EXPECT_EQ(propertiesOf(display(i)), expected);
    }
    EXPECT_EQ(propertiesOf(display(2)), (Properties{{"UDI", "dpy3"}, {"DISPLAY_INDEX", "3"}}));
    EXPECT_EQ(display(2)->monitorLeft(), 3840);
    std::vector<DisplayMode*> modes;
    std::vector<std::string> texts;
    ASSERT_EQ(display(2)->modes(modes), 0);
    for (DisplayMode* mode : modes)
        mode->resolutionText(texts.emplace_back());
    EXPECT_EQ(texts, (std::vector<std::string>{"1024x768", "800x600"}));

    DisplayMode* current = nullptr;
    EXPECT_EQ(display(0)->currentMode(current), 1);
    ASSERT_EQ(display(0)->modes(modes), 0);
    EXPECT_EQ(modes[0]->apply(), 2);
    EXPECT_TRUE(display(0)->restoreDisplaySettings());

    // Sysfs alone: the kernel's connector name, the place, the modes without
    // rates or marks and the EDID bytes as the kernel gives them, short or not.
    OutputView view;
    ASSERT_TRUE(DisplayPlatform::describe("dpy1", view));
    EXPECT_EQ(std::make_tuple(view.connector, view.x, view.width, view.primary),
              std::make_tuple(std::string("DP-2"), 0, 1920u, true));
    EXPECT_EQ(view.edid, EdidSampleFile::bySource(Dell).full);
    ASSERT_EQ(view.modes.size(), 2u);
    EXPECT_FALSE(view.refreshHz || view.modes[0].refreshHz || view.modes[0].preferred ||
                 view.modes[0].current);
    ASSERT_TRUE(DisplayPlatform::describe("dpy3", view));
    EXPECT_EQ(std::make_tuple(view.connector, view.x, view.edid.size()),
              std::make_tuple(std::string("DP-1"), 3840, size_t(60)));
    DisplayPlatform::reset();
}
