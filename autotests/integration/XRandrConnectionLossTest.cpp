#include "display/platform/x11/XRandrBackend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
// An X server of the test's own, which the test may kill.
class OwnXvfb
{
public:
    OwnXvfb()
    {
        for (int number = 140; number < 200 && m_pid <= 0; ++number) {
            struct stat info;
            const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            if (stat(lock.c_str(), &info) == 0)
                continue;
            m_name = ":" + std::to_string(number);
            m_pid = fork();
            if (m_pid == 0) {
                execlp("Xvfb", "Xvfb", m_name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
                       "tcp", static_cast<char*>(nullptr));
                _exit(127);
            }
        }
    }
    ~OwnXvfb() { kill(); }

    // Waits until the server accepts the backend.
    std::unique_ptr<XRandrBackend> connect()
    {
        std::string error;
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (auto backend = XRandrBackend::open(m_name.c_str(), &error))
                return backend;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return nullptr;
    }
    void kill()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    std::string m_name;
    pid_t m_pid = -1;
};
} // namespace

// The server going away ends each question with its failure answer; the
// process lives on.
TEST(XRandrConnectionLoss, EveryOperationFailsAfterTheServerDies)
{
    OwnXvfb server;
    auto backend = server.connect();
    if (!backend)
        GTEST_SKIP() << "Xvfb did not start";
    int monitors = 0;
    ASSERT_TRUE(backend->enumDisplayMonitors([&](DisplayBackend::MonitorHandle) {
        ++monitors;
        return true;
    }));
    EXPECT_EQ(monitors, 1);
    ModeRecord current;
    ASSERT_TRUE(backend->enumDisplaySettings("screen", DisplayBackend::CurrentSettings, current));

    server.kill();
    EXPECT_FALSE(backend->enumDisplayMonitors([](DisplayBackend::MonitorHandle) { return true; }));
    MonitorInfo info;
    EXPECT_FALSE(backend->getMonitorInfo(1, info));
    DisplayDevice device;
    EXPECT_FALSE(backend->enumDisplayDevices(nullptr, 0, device));
    EXPECT_FALSE(backend->enumDisplaySettings("screen", 0, current));
    EXPECT_EQ(backend->changeDisplaySettings("screen", &current), DisplayBackend::ChangeFailed);
    EXPECT_EQ(backend->changeDisplaySettings("screen", nullptr), DisplayBackend::ChangeFailed);
    std::vector<MonitorDevice> present;
    EXPECT_FALSE(backend->presentMonitorDevices(present));
    std::vector<MonitorClassDevice> classes;
    EXPECT_FALSE(backend->monitorClassDevices(classes));
    backend.reset();
}
