#include "EdidSampleFile.h"
#include "KwinDesk.h"

#include "autotests/support/RecordingHost.h"
#include "display/DisplayModeWindows.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/kde/KdeBackend.h"
#include "tests/ResolutionFittingTest.h"

#include <QProcess>

#include <chrono>
#include <csignal>
#include <functional>

namespace {
// Runs last on a compositor of its own, which it stops and then kills.
class KwinLoss : public KwinDesk
{
protected:
    void TearDown() override { manager.reset(), DisplayPlatform::reset(); }

    static pid_t kwin() { return pid_t(qEnvironmentVariableIntValue("KWIN_PID")); }

    // What the module's operations give on the display found before.
    static std::string operations(DisplayInterfaceComponentWindows* display)
    {
        DisplayMode* mode = nullptr;
        std::vector<DisplayMode*> modes;
        RecordingHost host(display);
        std::string text = "currentMode " + std::to_string(display->currentMode(mode));
        text += ", modes " + std::to_string(display->modes(modes));
        text += ", restore " + std::to_string(display->restoreDisplaySettings());
        const ModeRecord listed{1920, 1080, 32, 60};
        text +=
            ", apply " + std::to_string(DisplayModeWindows(display->monitorInfo(), listed).apply());
        return text + ", fitting " +
               std::to_string(ResolutionFittingTest(ItemId(9, 1, 10)).run(&host));
    }
};
} // namespace

TEST_F(KwinLoss, AHungOrKilledCompositorEndsEveryOperationInItsFailure)
{
    ASSERT_GT(kwin(), 0);
    install(sysfsWithEdid("Virtual-0", Eizo));
    ASSERT_EQ(manager->componentCount(), 2u);
    DisplayInterfaceComponentWindows* first = display(0);

    // Stopped: the modes read at the refresh still answer; every change
    // waits for its time-out, then fails.
    ASSERT_EQ(kill(kwin(), SIGSTOP), 0);
    const std::string hung = operations(first);
    // Each operation, however many calls it makes, within its 2 s budget;
    // the host's automatic choice names the silent compositor.
    const auto seconds = [](const std::function<void()>& operation) {
        const auto start = std::chrono::steady_clock::now();
        operation();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::unique_ptr<KdeBackend> opened;
    int32_t applied = 0;
    int32_t restored = 0;
    QProcess listing;
    QProcessEnvironment withoutQt = QProcessEnvironment::systemEnvironment();
    withoutQt.remove("QT_QPA_PLATFORM");
    listing.setProcessEnvironment(withoutQt);
    const ModeRecord listed{1920, 1080, 32, 60};
    const std::vector<std::pair<std::string, double>> timed = {
        {"apply",
         seconds([&] { applied = DisplayModeWindows(first->monitorInfo(), listed).apply(); })},
        {"restore", seconds([&] {
             restored = DisplayPlatform::backend().changeDisplaySettings("Virtual-0", nullptr);
         })},
        {"open", seconds([&] { opened = KdeBackend::open(nullptr, nullptr); })},
        {"host --list", seconds([&] {
             listing.start(qEnvironmentVariable("MODULE_DISPLAY_BINARY_DIR") +
                               "/bin/OrvaneDiagnosticsCLI",
                           {"--list"});
             listing.waitForFinished(20000);
         })},
    };
    ASSERT_EQ(kill(kwin(), SIGCONT), 0);
    EXPECT_EQ(hung, "currentMode 0, modes 0, restore 1, apply 2, fitting 4");
    for (const auto& [operation, took] : timed)
        EXPECT_LE(took, 2.5) << operation;
    EXPECT_EQ(applied, 2);
    EXPECT_EQ(restored, DisplayBackend::ChangeFailed);
    EXPECT_FALSE(opened);
    EXPECT_EQ(listing.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(listing.exitCode(), 2);
    EXPECT_TRUE(listing.readAllStandardError().contains("does not answer within"));

    // Answering again, it is used again.
    manager->refresh();
    ASSERT_EQ(manager->componentCount(), 2u);
    first = display(0);
    EXPECT_EQ(operations(first), "currentMode 0, modes 0, restore 0, apply 0, fitting 0");

    // Killed while a test window is up: the host ends with one message.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    QProcess host;
    host.setProcessEnvironment(environment);
    host.start(qEnvironmentVariable("MODULE_DISPLAY_BINARY_DIR") + "/bin/OrvaneDiagnosticsCLI",
               {"--platform=kde", "-Mdisplay", "-Qr", "dpy1", "--answers=continue,yes", "--set",
                "CSAT.CSAT_TEST_TIMEOUT=20"});
    ASSERT_TRUE(host.waitForStarted());
    ASSERT_NE(shownWindow().find("fullscreen"), std::string::npos);
    ASSERT_EQ(kill(kwin(), SIGKILL), 0);
    ASSERT_TRUE(host.waitForFinished(10000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 2);
    const QStringList errors = QString(host.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 1) << errors.join("\n").toStdString();
    EXPECT_TRUE(errors[0].contains("connection to the display server broke"))
        << errors[0].toStdString();

    // Gone: every operation fails at once, and finding displays finds none.
    EXPECT_EQ(operations(first), "currentMode 1, modes 1, restore 1, apply 2, fitting 4");
    manager->refresh();
    EXPECT_EQ(manager->componentCount(), 0u);
    host.start(host.program(), {"--platform=kde", "--list"});
    ASSERT_TRUE(host.waitForFinished(10000));
    EXPECT_EQ(host.exitCode(), 2);
    EXPECT_TRUE(host.readAllStandardError().contains("No Wayland compositor answers on"));
}
