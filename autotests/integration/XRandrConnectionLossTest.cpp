#include "display/platform/x11/XRandrBackend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// The server going away ends each question with its failure answer; the
// process lives on. The test starts and kills an Xvfb of its own.
TEST(XRandrConnectionLoss, EveryOperationFailsAfterTheServerDies)
{
    std::string name;
    pid_t server = -1;
    struct stat info;
    for (int number = 140; number < 200 && server < 0; ++number) {
        if (stat(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), &info) == 0)
            continue;
        name = ":" + std::to_string(number);
        if ((server = fork()) == 0) {
            execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    std::unique_ptr<XRandrBackend> backend;
    std::string error;
    for (int attempt = 0; attempt < 100 && !backend; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        backend = XRandrBackend::open(name.c_str(), &error);
    }
    ModeRecord current;
    const bool answered =
        backend && backend->enumDisplaySettings("screen", DisplayBackend::CurrentSettings, current);
    kill(server, SIGKILL);
    waitpid(server, nullptr, 0);
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
