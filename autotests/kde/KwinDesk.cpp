#include "KwinDesk.h"

#include "EdidSampleFile.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/kde/KdeBackend.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <thread>

void KwinDesk::SetUp()
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        GTEST_SKIP() << "no Wayland compositor (run through scripts/with-kwin.sh)";
    reset();
    install();
}

void KwinDesk::TearDown()
{
    manager.reset();
    DisplayPlatform::reset();
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        reset();
}

void KwinDesk::install(const std::string& sysfsRoot)
{
    manager.reset();
    std::string error;
    std::unique_ptr<KdeBackend> backend = KdeBackend::open(nullptr, &error, sysfsRoot);
    ASSERT_TRUE(backend) << error;
    DisplayPlatform::install(std::move(backend));
    manager = std::make_unique<DisplayInterfaceComponentManagerWindows>(ItemId(9, 0, 0));
    manager->refresh();
}

void KwinDesk::reset()
{
    doctor("output.Virtual-0.enable output.Virtual-1.enable");
    doctor("output.Virtual-0.rotation.none output.Virtual-0.scale.1 output.Virtual-0.position.0,0"
           " output.Virtual-1.rotation.none output.Virtual-1.scale.1"
           " output.Virtual-1.position.1920,0");
    // Disabling an output hands the first place of the order to the other.
    doctor("output.Virtual-0.priority.1 output.Virtual-1.priority.2");
}

int KwinDesk::doctor(const std::string& arguments)
{
    return run("QT_QPA_PLATFORM=wayland kscreen-doctor " + arguments);
}

int KwinDesk::run(const std::string& command, std::string* output)
{
    QProcess process;
    if (!output)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start("sh", {"-c", QString::fromStdString(command)});
    process.waitForFinished(60000);
    if (output)
        *output = process.readAllStandardOutput().toStdString();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

std::string KwinDesk::layout()
{
    std::string json;
    run("QT_QPA_PLATFORM=wayland kscreen-doctor -j", &json);
    std::string text;
    for (const QJsonValue output :
         QJsonDocument::fromJson(QByteArray::fromStdString(json))["outputs"].toArray()) {
        text += text.empty() ? "" : ", ";
        text += output["name"].toString().toStdString();
        if (!output["enabled"].toBool()) {
            text += " off";
            continue;
        }
        text += QString(" %1x%2+%3+%4 r%5 s%6")
                    .arg(output["size"]["width"].toInt())
                    .arg(output["size"]["height"].toInt())
                    .arg(output["pos"]["x"].toInt())
                    .arg(output["pos"]["y"].toInt())
                    .arg(output["rotation"].toInt())
                    .arg(output["scale"].toDouble())
                    .toStdString();
    }
    return text;
}

std::string KwinDesk::sysfsWithEdid(const std::string& connector, const std::string& source)
{
    const QString folder = m_sysfs.path() + "/card0-" + QString::fromStdString(connector);
    QDir().mkpath(folder);
    const std::vector<uint8_t>& edid = EdidSampleFile::bySource(source).full;
    const std::pair<const char*, QByteArray> files[] = {
        {"status", "connected\n"},
        {"enabled", "enabled\n"},
        {"modes", "1920x1080\n"},
        {"edid", QByteArray(reinterpret_cast<const char*>(edid.data()), int(edid.size()))}};
    for (const auto& [name, bytes] : files) {
        QFile file(folder + "/" + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    return m_sysfs.path().toStdString();
}

std::string KwinDesk::windows()
{
    static int scripts = 0;
    QTemporaryDir folder;
    const QString path = folder.path() + "/windows.js";
    QFile script(path);
    script.open(QIODevice::WriteOnly);
    script.write(R"(var clients = workspace.clientList();
for (var i = 0; i < clients.length; ++i) {
    var c = clients[i], g = c.frameGeometry;
    print("window " + c.resourceClass + " on " + c.screen + " at " + g.x + "," + g.y + " " +
          g.width + "x" + g.height + (c.fullScreen ? " fullscreen" : ""));
})");
    script.close();
    QFile log(qEnvironmentVariable("KWIN_LOG"));
    log.open(QIODevice::ReadOnly);
    log.seek(log.size());
    const std::string name = "windows" + std::to_string(++scripts);
    const std::string kwin = "dbus-send --session --print-reply --dest=org.kde.KWin /Scripting "
                             "org.kde.kwin.Scripting.";
    run(kwin + "loadScript string:" + path.toStdString() + " string:" + name + " && " + kwin +
        "start && sleep 0.3 && " + kwin + "unloadScript string:" + name);
    std::string windows;
    for (const QByteArray& line : log.readAll().split('\n'))
        if (line.startsWith("js: window "))
            windows += (windows.empty() ? "" : "; ") + line.mid(11).toStdString();
    return windows;
}

std::string KwinDesk::shownWindow()
{
    std::string shown;
    for (int i = 0; i < 40 && shown.find("fullscreen") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        shown = windows();
    }
    return shown;
}
