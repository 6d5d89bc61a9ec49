#include "KwinDesk.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <chrono>
#include <functional>
#include <thread>

namespace {
struct CliRun
{
    int status = -1;
    QJsonObject document;
    std::string errors;
};

// The command-line host against the compositor, as a user in the session
// would run it (Qt's platform chosen by the host unless qtPlatform says),
// and meanwhile what the test does while it runs.
CliRun cli(
    const QStringList& arguments, const std::function<void()>& meanwhile = [] {},
    const QString& qtPlatform = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    if (!qtPlatform.isEmpty())
        environment.insert("QT_QPA_PLATFORM", qtPlatform);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("MODULE_DISPLAY_BINARY_DIR") + "/bin/OrvaneDiagnosticsCLI",
                  QStringList{"--json"} + arguments);
    process.waitForStarted();
    meanwhile();
    CliRun run;
    EXPECT_TRUE(process.waitForFinished(60000));
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.document = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    run.errors = process.readAllStandardError().toStdString();
    return run;
}

// "dpy1 1920x1080 | dpy2 1080x1920": each listed display's current resolution.
std::string resolutions(const QJsonObject& document)
{
    std::string text;
    for (const QJsonValue device : document["devices"].toArray()) {
        text += text.empty() ? "" : " | ";
        text += device["id"].toString().toStdString();
        for (const QJsonValue property : device["properties"].toArray())
            if (property["key"] == "CURRENT_RESOLUTION")
                text += " " + property["value"].toString().toStdString();
    }
    return text;
}

// "Virtual-0 0,0 1920x1080 primary 60 | 1920x1080@60 current | Virtual-1 ...":
// each listed display's platform view.
std::string platformViews(const QJsonObject& document)
{
    QStringList views;
    for (const QJsonValue device : document["devices"].toArray()) {
        const QJsonObject view = device["platform"].toObject();
        QString text = QString("%1 %2,%3 %4x%5%6 %7")
                           .arg(view["connector"].toString())
                           .arg(view["position"][0].toInt())
                           .arg(view["position"][1].toInt())
                           .arg(view["size"][0].toInt())
                           .arg(view["size"][1].toInt())
                           .arg(view["primary"].toBool() ? " primary" : "")
                           .arg(view["refreshHz"].toDouble());
        if (view.contains("scale"))
            text += QString(" scale %1 logical %2x%3")
                        .arg(view["scale"].toDouble())
                        .arg(view["logicalSize"][0].toInt())
                        .arg(view["logicalSize"][1].toInt());
        for (const QJsonValue mode : view["modes"].toArray())
            text += QString(" | %1x%2@%3%4%5")
                        .arg(mode["width"].toInt())
                        .arg(mode["height"].toInt())
                        .arg(mode["refreshHz"].toDouble())
                        .arg(mode["current"].toBool() ? " current" : "")
                        .arg(mode["preferred"].toBool() ? " preferred" : "");
        views << text;
    }
    return views.join(" || ").toStdString();
}

int resultOf(const CliRun& run)
{
    return run.document["runs"][0]["result"].toInt(-1);
}

void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class CliOnKwin : public KwinDesk
{
};
} // namespace

// Both platform choices list what KWin shows: a turned output's current
// resolution turned, a scaled one's unscaled, a disabled one not at all.
// The platform view shows the outputs as the backend reports them: the size
// in device pixels, turned with the output like its modes, and where KWin
// scales, the scale (in its 1/120 steps: 1.2 is not 1.19921875) and the size
// in the desktop's coordinates.
TEST_F(CliOnKwin, ListsKWinsOutputs)
{
    const char* const plain = "Virtual-0 0,0 1920x1080 primary 60 | 1920x1080@60 current || ";
    const std::tuple<const char*, const char*, const char*, std::string> rows[] = {
        {"kde", "", "dpy1 1920x1080 | dpy2 1920x1080",
         plain + std::string("Virtual-1 1920,0 1920x1080 60 | 1920x1080@60 current")},
        {"auto", "output.Virtual-1.rotation.left output.Virtual-1.scale.1.5",
         "dpy1 1920x1080 | dpy2 1080x1920",
         plain + std::string("Virtual-1 1920,0 1080x1920 60 scale 1.5 logical 720x1280 | "
                             "1080x1920@60 current")},
        {"kde", "output.Virtual-1.scale.1.2", "dpy1 1920x1080 | dpy2 1920x1080",
         plain + std::string("Virtual-1 1920,0 1920x1080 60 scale 1.2 logical 1600x900 | "
                             "1920x1080@60 current")},
        {"auto", "output.Virtual-0.disable", "dpy1 1920x1080", ""},
    };
    for (const auto& [platform, change, listed, views] : rows) {
        SCOPED_TRACE(std::string(platform) + " " + change);
        ASSERT_EQ(doctor(change), 0);
        const CliRun run = cli({"--platform=" + QString(platform), "--list", "--verbose"});
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(resolutions(run.document), listed);
        if (!views.empty()) {
            EXPECT_EQ(platformViews(run.document), views);
        }
        EXPECT_NE(run.errors.find("display backend kde"), std::string::npos) << run.errors;
        reset();
    }
}

// Each attended window is full-screen on its display's output, at the
// output's size, as KWin itself reports it.
TEST_F(CliOnKwin, AttendedWindowsCoverTheirOutput)
{
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"", "dpy1", "OrvaneDiagnosticsCLI on 0 at 0,0 1920x1080 fullscreen"},
        {"", "dpy2", "OrvaneDiagnosticsCLI on 1 at 1920,0 1920x1080 fullscreen"},
        {"output.Virtual-1.rotation.left", "dpy2",
         "OrvaneDiagnosticsCLI on 1 at 1920,0 1080x1920 fullscreen"},
        {"output.Virtual-1.scale.2", "dpy2",
         "OrvaneDiagnosticsCLI on 1 at 1920,0 960x540 fullscreen"},
    };
    for (const auto& [change, device, shown] : rows) {
        SCOPED_TRACE(std::string(device) + " " + change);
        ASSERT_EQ(doctor(change), 0);
        std::string windows;
        const CliRun run = cli({"--platform=kde", "-Mdisplay", "-Qr", device,
                                "--answers=continue,yes", "--set", "CSAT.CSAT_TEST_TIMEOUT=6"},
                               [&windows] { windows = shownWindow(); });
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(resultOf(run), 0);
        EXPECT_EQ(windows, shown);
        reset();
    }
}

// Another client's change while a window is up ends the test with the
// system-event abort; on the offscreen platform only the backend hears it.
TEST_F(CliOnKwin, AChangeByAnotherClientAbortsTheTest)
{
    const CliRun run = cli(
        {"--platform=kde", "-Mdisplay", "-Qr", "dpy1", "--answers=continue,yes", "--set",
         "CSAT.CSAT_TEST_TIMEOUT=20"},
        [] {
            pause(1000);
            doctor("output.Virtual-1.scale.1.5");
        },
        "offscreen");
    EXPECT_EQ(run.status, 3) << run.errors;
    EXPECT_EQ(resultOf(run), 4);
}
