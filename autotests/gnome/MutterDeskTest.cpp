#include "EdidSampleFile.h"

#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"
#include "display/DisplayModeWindows.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/gnome/GnomeBackend.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <thread>

namespace {
const char* const DefaultLayout = "[(0,0,1.0,0,true,[('Meta-0','1920x1080@60.000',@a{sv} {})]),"
                                  "(1920,0,1.0,0,false,[('Meta-1','1280x1024@60.000',@a{sv} {})])]";
// Meta-0 at scale 2, Meta-1 turned 90°.
const char* const TurnedAndScaledLayout =
    "[(0,0,2.0,0,true,[('Meta-0','1920x1080@60.000',@a{sv} {})]),"
    "(1920,0,1.0,1,false,[('Meta-1','1280x1024@60.000',@a{sv} {})])]";

QString gdbus(const QString& method, const QStringList& arguments = {})
{
    QProcess process;
    process.start("gdbus", QStringList{"call", "--session", "-d", "org.gnome.Mutter.DisplayConfig",
                                       "-o", "/org/gnome/Mutter/DisplayConfig", "-m",
                                       "org.gnome.Mutter.DisplayConfig." + method} +
                               arguments);
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The compositor's state without its serial, to compare layouts.
QString layout()
{
    return gdbus("GetCurrentState").remove(QRegularExpression("^\\(uint32 \\d+, "));
}

void applyLayout(const char* logicalMonitors)
{
    const QString serial =
        QRegularExpression("^\\(uint32 (\\d+),").match(gdbus("GetCurrentState")).captured(1);
    gdbus("ApplyMonitorsConfig", {serial, "1", logicalMonitors, "@a{sv} {}"});
}

// The desk of the headless compositor: Meta-0 1920x1080 at 0,0 (primary)
// and Meta-1 1280x1024 right of it, with real EDIDs in a sysfs tree named
// after the virtual connectors; the module's discovery over the GNOME
// backend refreshed on it. Skips without the compositor.
class MutterDesk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        if (!GnomeBackend::open(&error))
            GTEST_SKIP() << "no GNOME compositor: " << error;
        applyLayout(DefaultLayout);
        for (const auto& [connector, source] :
             {std::pair{"card0-Meta-0", Eizo}, {"card0-Meta-1", BenQ}}) {
            QDir(m_sysfs.path()).mkpath(connector);
            QFile file(m_sysfs.filePath(QString(connector) + "/edid"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            const auto& edid = EdidSampleFile::bySource(source).full;
            file.write(reinterpret_cast<const char*>(edid.data()), qint64(edid.size()));
        }
        refresh();
    }
    void TearDown() override
    {
        manager.reset();
        DisplayPlatform::reset();
        applyLayout(DefaultLayout);
    }
    void refresh()
    {
        manager.reset();
        DisplayPlatform::install(GnomeBackend::open(nullptr, m_sysfs.path().toStdString()));
        manager = std::make_unique<DisplayInterfaceComponentManagerWindows>(ItemId(9, 0, 0));
        manager->refresh();
    }
    DisplayInterfaceComponentWindows* display(uint32_t index)
    {
        return dynamic_cast<DisplayInterfaceComponentWindows*>(manager->componentAt(index));
    }
    // Every monitor the backend reports: "Meta-0 0,0 1920x1080".
    static std::vector<std::string> monitors()
    {
        std::vector<std::string> found;
        DisplayBackend& backend = DisplayPlatform::backend();
        backend.enumDisplayMonitors([&](DisplayBackend::MonitorHandle handle) {
            MonitorInfo info;
            if (backend.getMonitorInfo(handle, info)) {
                const Rect& r = info.rcMonitor;
                found.push_back(info.device + " " + std::to_string(r.left) + "," +
                                std::to_string(r.top) + " " + std::to_string(r.right - r.left) +
                                "x" + std::to_string(r.bottom - r.top));
            }
            return true;
        });
        return found;
    }
    // The environment of a host on the compositor's session: without a Qt
    // platform, the host picks Qt's Wayland platform itself.
    static QProcessEnvironment hostEnvironment(const QString& qtPlatform = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        if (!qtPlatform.isEmpty())
            environment.insert("QT_QPA_PLATFORM", qtPlatform);
        return environment;
    }
    static QString cliPath()
    {
        return qEnvironmentVariable("MODULE_DISPLAY_BINARY_DIR") + "/bin/OrvaneDiagnosticsCLI";
    }
    // The command-line host as a user runs it on the compositor's session;
    // meanwhile runs while it does. Its standard error lands in *errors.
    static QJsonObject cli(
        const QStringList& arguments, QString* errors = nullptr,
        const std::function<void()>& meanwhile = [] {}, const QString& qtPlatform = {})
    {
        QProcess process;
        process.setProcessEnvironment(hostEnvironment(qtPlatform));
        process.start(cliPath(), QStringList{"--json"} + arguments);
        meanwhile();
        EXPECT_TRUE(process.waitForFinished(60000));
        // A crash (abort, segfault) is a failure whatever the output.
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        const QString stderrText = QString::fromLocal8Bit(process.readAllStandardError());
        if (errors)
            *errors = stderrText;
        EXPECT_NE(process.exitCode(), 2) << stderrText.toStdString();
        return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    }
    // Each device's platform view: "Meta-0 0,0 1920x1080 primary 60 |
    // 1920x1080@60 current preferred".
    static std::vector<std::string> platformViews(const QJsonObject& list)
    {
        std::vector<std::string> found;
        for (const QJsonValue& device : list["devices"].toArray()) {
            const QJsonObject view = device["platform"].toObject();
            QString text = QString("%1 %2,%3 %4x%5%6 %7")
                               .arg(view["connector"].toString())
                               .arg(view["position"][0].toInt())
                               .arg(view["position"][1].toInt())
                               .arg(view["size"][0].toInt())
                               .arg(view["size"][1].toInt())
                               .arg(view["primary"].toBool() ? " primary" : "")
                               .arg(view["refreshHz"].toDouble());
            for (const QJsonValue& mode : view["modes"].toArray())
                text += QString(" | %1x%2@%3%4%5")
                            .arg(mode["width"].toInt())
                            .arg(mode["height"].toInt())
                            .arg(mode["refreshHz"].toDouble())
                            .arg(mode["current"].toBool() ? " current" : "")
                            .arg(mode["preferred"].toBool() ? " preferred" : "");
            found.push_back(text.toStdString());
        }
        return found;
    }
    QTemporaryDir m_sysfs;
    std::unique_ptr<DisplayInterfaceComponentManagerWindows> manager;
};

// Places, sizes and identities as the module reads them: a turned monitor
// in its turned extent, a scaled one in its pixels (the compositor lays out
// physically), EDIDs from sysfs by connector.
TEST_F(MutterDesk, DisplaysShowTheirPlaceTurnedExtentAndEdid)
{
    const std::tuple<const char*, std::vector<std::string>, const char*> rows[] = {
        {DefaultLayout, {"Meta-0 0,0 1920x1080", "Meta-1 1920,0 1280x1024"}, "1280x1024"},
        {TurnedAndScaledLayout, {"Meta-0 0,0 1920x1080", "Meta-1 1920,0 1024x1280"}, "1024x1280"},
    };
    for (const auto& [layout, expected, second] : rows) {
        SCOPED_TRACE(layout);
        applyLayout(layout);
        refresh();
        EXPECT_EQ(monitors(), expected);
        ASSERT_EQ(manager->componentCount(), 2u);
        EXPECT_EQ(propertiesOf(display(0)), displayProperties("dpy1", "1920x1080", Eizo));
        EXPECT_EQ(propertiesOf(display(1)), displayProperties("dpy2", second, BenQ));
    }
}

// A listed mode applies; a mode the monitor does not offer is refused
// before the service is asked (it is stopped, so asking would fail); a hung
// service makes the switch fail instead of hanging; restoring brings back
// the layout first seen after the test changed it.
TEST_F(MutterDesk, ApplyRefuseAndRestore)
{
    const qint64 mutter = qEnvironmentVariable("MUTTER_PID").toLongLong();
    ASSERT_GT(mutter, 0);
    const QString before = layout();
    std::vector<DisplayMode*> modes;
    ASSERT_EQ(display(1)->modes(modes), 0);
    ASSERT_FALSE(modes.empty());
    EXPECT_EQ(modes.front()->apply(), 0);

    MonitorInfo info;
    info.device = "Meta-1";
    ModeRecord unlisted{1024, 768, 32, 60, 0, 0};
    ::kill(pid_t(mutter), SIGSTOP);
    const int refused = DisplayModeWindows(info, unlisted).apply();
    const int hung = modes.front()->apply();
    ::kill(pid_t(mutter), SIGCONT);
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(hung, 2);

    applyLayout(TurnedAndScaledLayout);
    ASSERT_NE(layout(), before);
    EXPECT_FALSE(display(1)->restoreDisplaySettings());
    EXPECT_EQ(layout(), before);
}

// A compositor that stops answering costs each operation at most its 2 s
// budget, however many calls it makes; the host's automatic choice says so
// and ends with status 2 instead of finding no displays.
TEST_F(MutterDesk, AFrozenCompositorEndsEachOperationWithinItsBudget)
{
    const qint64 mutter = qEnvironmentVariable("MUTTER_PID").toLongLong();
    ASSERT_GT(mutter, 0);
    MonitorInfo info;
    info.device = "Meta-1";
    ModeRecord listed;
    ASSERT_TRUE(DisplayPlatform::backend().enumDisplaySettings("Meta-1", 0, listed));
    const auto seconds = [](const std::function<void()>& operation) {
        const auto start = std::chrono::steady_clock::now();
        operation();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    // A change announced before the freeze makes the listing ask again.
    applyLayout(TurnedAndScaledLayout);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    ::kill(pid_t(mutter), SIGSTOP);
    std::unique_ptr<GnomeBackend> opened;
    int applied = -1;
    int32_t restored = 0;
    QProcess host;
    host.setProcessEnvironment(hostEnvironment());
    const std::vector<std::pair<std::string, double>> timed = {
        {"open", seconds([&] { opened = GnomeBackend::open(nullptr); })},
        {"list", seconds([&] { manager->refresh(); })},
        {"apply", seconds([&] { applied = DisplayModeWindows(info, listed).apply(); })},
        {"restore", seconds([&] {
             restored = DisplayPlatform::backend().changeDisplaySettings("Meta-0", nullptr);
         })},
        {"host --list", seconds([&] {
             host.start(cliPath(), {"--list"});
             host.waitForFinished(20000);
         })},
    };
    ::kill(pid_t(mutter), SIGCONT);
    for (const auto& [operation, took] : timed)
        EXPECT_LE(took, 2.5) << operation;
    EXPECT_FALSE(opened);
    EXPECT_EQ(manager->componentCount(), 0u);
    EXPECT_EQ(applied, 2);
    EXPECT_EQ(restored, DisplayBackend::ChangeFailed);
    // Why, in the bus's words, for --verbose.
    EXPECT_NE(DisplayPlatform::backend().lastChangeError().find("NoReply"), std::string::npos)
        << DisplayPlatform::backend().lastChangeError();
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 2);
    EXPECT_TRUE(host.readAllStandardError().contains("GNOME's display service"));
}

// The host lists the same through --platform=gnome and auto (the module's
// own view, resolutions included, is checked in-process above): the
// platform view names each display's monitor and shows the compositor's
// place, rate and modes, turned and scaled like the module's view; the EDID
// is the one sysfs holds for that connector.
TEST_F(MutterDesk, PlatformViewShowsEachMonitor)
{
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {DefaultLayout,
         {"Meta-0 0,0 1920x1080 primary 60 | 1920x1080@60 current preferred",
          "Meta-1 1920,0 1280x1024 60 | 1280x1024@60 current preferred"}},
        {TurnedAndScaledLayout,
         {"Meta-0 0,0 1920x1080 primary 60 | 1920x1080@60 current preferred",
          "Meta-1 1920,0 1024x1280 60 | 1024x1280@60 current preferred"}},
    };
    for (const auto& [layout, expected] : rows) {
        applyLayout(layout);
        for (const char* platform : {"--platform=gnome", "--platform=auto"}) {
            SCOPED_TRACE(std::string(platform) + " " + layout);
            EXPECT_EQ(platformViews(cli({platform, "--list"})), expected);
        }
    }

    const std::tuple<const char*, const char*, std::string> edids[] = {{"dpy1", "Meta-0", Eizo},
                                                                       {"dpy2", "Meta-1", BenQ}};
    for (const auto& [id, connector, source] : edids) {
        OutputView view;
        ASSERT_TRUE(DisplayPlatform::describe(id, view)) << id;
        EXPECT_EQ(view.connector, connector);
        EXPECT_EQ(view.edid, EdidSampleFile::bySource(source).full) << id;
    }
    OutputView none;
    EXPECT_FALSE(DisplayPlatform::describe("dpy3", none));
}

// Attended windows land full-screen on the output under test with its size
// as the compositor reports it to the window, turned and scaled too.
TEST_F(MutterDesk, CliWindowsCoverTheOutputUnderTest)
{
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {DefaultLayout, "dpy1", "Meta-0: 1920x1080 device pixels"},
        {DefaultLayout, "dpy2", "Meta-1: 1280x1024 device pixels"},
        {TurnedAndScaledLayout, "dpy1", "Meta-0: 1920x1080 device pixels at scale 2"},
        {TurnedAndScaledLayout, "dpy2", "Meta-1: 1024x1280 device pixels"},
    };
    for (const auto& [layout, device, expected] : rows) {
        SCOPED_TRACE(std::string(device) + " " + layout);
        applyLayout(layout);
        QString errors;
        const QJsonObject runs =
            cli({"-Mdisplay", "-Qg", device, "--verbose", "--answers=continue,yes", "--set",
                 "CSAT.CSAT_TEST_TIMEOUT_DISPLAY_GREEN_PURITY_TEST=3"},
                &errors);
        const auto placements =
            QRegularExpression("test window on screen ([^\\n]*)").globalMatch(errors);
        QString last;
        for (auto it = placements; it.hasNext();)
            last = it.next().captured(1);
        EXPECT_EQ(last.toStdString(), std::string(expected) + ", full screen")
            << errors.toStdString();
        EXPECT_EQ(runs["runs"].toArray().at(0)["resultName"].toString(), "Passed");
    }
}

// With fractional scales switched on (MUTTER_FRACTIONAL=1
// scripts/with-mutter.sh), Meta-0 at 1.5: the platform view gives its device
// size with the scale and logical size, and the test window shows a buffer
// of 1920x1080 device pixels mapped onto the 1280x720 the compositor gave
// the window, which lies on Meta-0 (read from the client's protocol trace:
// the compositor offers no fractional-scale protocol to ask).
TEST_F(MutterDesk, FractionalScaleShowsDevicePixels)
{
    if (qEnvironmentVariable("MUTTER_FRACTIONAL") != "1")
        GTEST_SKIP() << "fractional scales are off (MUTTER_FRACTIONAL=1 scripts/with-mutter.sh)";
    applyLayout("[(0,0,1.5,0,true,[('Meta-0','1920x1080@60.000',@a{sv} {})]),"
                "(1280,0,1.0,0,false,[('Meta-1','1280x1024@60.000',@a{sv} {})])]");
    const QJsonObject view = cli({"--list"})["devices"].toArray().at(0)["platform"].toObject();
    EXPECT_EQ(view["size"].toArray(), QJsonArray({1920, 1080}));
    EXPECT_EQ(view["scale"].toDouble(), 1.5);
    EXPECT_EQ(view["logicalSize"].toArray(), QJsonArray({1280, 720}));

    qputenv("WAYLAND_DEBUG", "client");
    QString trace;
    const QJsonObject runs = cli(
        {"-Mdisplay", "-Qg", "dpy1", "--verbose", "--answers=continue,yes", "--set",
         "CSAT.CSAT_TEST_TIMEOUT_DISPLAY_GREEN_PURITY_TEST=3"},
        &trace, [] {}, QStringLiteral("wayland"));
    qunsetenv("WAYLAND_DEBUG");
    EXPECT_EQ(runs["runs"].toArray().at(0)["resultName"].toString(), "Passed");
    EXPECT_TRUE(trace.contains("test window on screen Meta-0: 1920x1080 device pixels at scale "
                               "1.5, full screen"));
    const auto one = [&trace](const QString& pattern) {
        return QRegularExpression(pattern).match(trace);
    };
    // Our surface: a subsurface of the window's, a 1920x1080 XRGB8888 buffer,
    // shown on the window's 1280x720.
    const QRegularExpressionMatch sub =
        one("get_subsurface\\(new id wl_subsurface@\\d+, wl_surface@(\\d+), wl_surface@(\\d+)\\)");
    ASSERT_TRUE(sub.hasMatch()) << "no subsurface in the trace";
    EXPECT_TRUE(one("create_buffer\\(new id wl_buffer@\\d+, 0, 1920, 1080, 7680, 1\\)").hasMatch());
    EXPECT_TRUE(one("wp_viewport@\\d+\\.set_destination\\(1280, 720\\)").hasMatch());
    EXPECT_TRUE(one("xdg_toplevel@\\d+\\.configure\\(1280, 720,").hasMatch());
    // The window's surface enters the output at 0,0 whose mode is 1920x1080.
    const QRegularExpressionMatch entered =
        one("wl_surface@" + sub.captured(2) + "\\.enter\\(wl_output@(\\d+)\\)");
    ASSERT_TRUE(entered.hasMatch()) << "the window never entered an output";
    const QString output = "wl_output@" + entered.captured(1);
    EXPECT_TRUE(one(output + "\\.geometry\\(0, 0,").hasMatch());
    EXPECT_TRUE(one(output + "\\.mode\\(3, 1920, 1080,").hasMatch());
}

// A monitor changed while a pattern is up ends the test on the system event,
// also when Qt's own screens cannot tell (the offscreen platform): the
// compositor's MonitorsChanged alone must do it.
TEST_F(MutterDesk, CliTestEndsWhenAMonitorChanges)
{
    for (const QString& qtPlatform : {QString(), QStringLiteral("offscreen")}) {
        SCOPED_TRACE(qtPlatform.toStdString());
        applyLayout(DefaultLayout);
        const QJsonObject runs = cli(
            {"-Mdisplay", "-Qg", "dpy1", "--answers=continue,yes", "--set",
             "CSAT.CSAT_TEST_TIMEOUT_DISPLAY_GREEN_PURITY_TEST=30"},
            nullptr,
            [] {
                std::this_thread::sleep_for(std::chrono::seconds(3));
                applyLayout(TurnedAndScaledLayout);
            },
            qtPlatform);
        EXPECT_EQ(runs["runs"].toArray().at(0)["resultName"].toString(), "Aborted")
            << QJsonDocument(runs).toJson().toStdString();
    }
}

// A compositor that dies under a test window ends the host with one sentence
// and status 2. It needs a compositor of its own to kill.
TEST_F(MutterDesk, CliEndsClearlyWhenTheCompositorDies)
{
    QProcess process;
    QProcessEnvironment environment = hostEnvironment();
    environment.insert("CLI", cliPath());
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("MODULE_DISPLAY_SOURCE_DIR") + "/scripts/with-mutter.sh",
                  {"bash", "-c",
                   "\"$CLI\" -Mdisplay -Qg dpy1 --answers=continue,yes --set "
                   "CSAT.CSAT_TEST_TIMEOUT_DISPLAY_GREEN_PURITY_TEST=30 & cli=$!; sleep 3; "
                   "kill \"$MUTTER_PID\"; wait $cli"});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 2) << errors.toStdString();
    EXPECT_EQ(errors.count("OrvaneDiagnosticsCLI: the connection to the display server broke"), 1)
        << errors.toStdString();
}
} // namespace
