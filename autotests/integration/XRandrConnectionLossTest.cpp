#include "display/platform/x11/XRandrBackend.h"

#include <QProcess>

#include <gtest/gtest.h>

// The server going away ends each question with its failure answer; the
// process lives on. The test starts and kills an Xvfb of its own, which
// prints its display number once it accepts connections.
TEST(XRandrConnectionLoss, EveryOperationFailsAfterTheServerDies)
{
    QProcess xvfb;
    xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    xvfb.waitForReadyRead(10000);
    const std::string name = ":" + xvfb.readAllStandardOutput().trimmed().toStdString();
    std::string error;
    auto backend = XRandrBackend::open(name.c_str(), &error);
    ModeRecord current;
    const bool answered =
        backend && backend->enumDisplaySettings("screen", DisplayBackend::CurrentSettings, current);
    xvfb.kill();
    xvfb.waitForFinished();
    if (!answered)
        GTEST_SKIP() << "Xvfb did not start: " << error;

    EXPECT_FALSE(backend->enumDisplayMonitors([](DisplayBackend::MonitorHandle) { return true; }));
    MonitorInfo monitor;
    EXPECT_FALSE(backend->getMonitorInfo(1, monitor));
    DisplayDevice device;
    EXPECT_FALSE(backend->enumDisplayDevices(nullptr, 0, device));
    EXPECT_FALSE(backend->enumDisplaySettings("screen", 0, current));
    EXPECT_EQ(backend->changeDisplaySettings("screen", &current), DisplayBackend::ChangeFailed);
    EXPECT_EQ(backend->changeDisplaySettings("screen", nullptr), DisplayBackend::ChangeFailed);
    std::vector<MonitorDevice> present;
    EXPECT_FALSE(backend->presentMonitorDevices(present));
    std::vector<MonitorClassDevice> classes;
    EXPECT_FALSE(backend->monitorClassDevices(classes));
}
