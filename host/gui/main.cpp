#include "host/gui/MainWindow.h"
#include "host/runtime/BackendSelection.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/ModuleCatalogue.h"
#include "host/runtime/ModuleLoader.h"
#include "host/runtime/SettingsLoader.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
int failure(const std::string& sentence)
{
    std::fprintf(stderr, "OrvaneDiagnostics: %s.\n", sentence.c_str());
    // Someone who started the program from a desktop sees no terminal.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QMessageBox::critical(nullptr, QStringLiteral("Orvane Diagnostics"),
                              QString::fromStdString(sentence) + '.');
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    // --help and --version only print: they need no display server.
    const bool printOnly = std::any_of(argv + 1, argv + argc, [](const char* argument) {
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"}) {
            if (!std::strcmp(argument, option))
                return true;
        }
        return false;
    });
    std::unique_ptr<QCoreApplication> application(printOnly ? new QCoreApplication(argc, argv)
                                                            : new QApplication(argc, argv));
    QCoreApplication& app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("OrvaneDiagnostics"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Display diagnostics"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption platform(QStringLiteral("platform"),
                                      QStringLiteral("auto, x11, drm or sim:FILE."),
                                      QStringLiteral("name"), QStringLiteral("auto"));
    const QCommandLineOption modulePath(QStringLiteral("module-path"),
                                        QStringLiteral("The module library to load."),
                                        QStringLiteral("file"));
    const QCommandLineOption settingsFile(QStringLiteral("settings"),
                                          QStringLiteral("Test settings as an INI file."),
                                          QStringLiteral("file"));
    const QCommandLineOption assignment(QStringLiteral("set"),
                                        QStringLiteral("One setting, SECTION.KEY=VALUE."),
                                        QStringLiteral("assignment"));
    parser.addOptions({platform, modulePath, settingsFile, assignment});
    parser.process(app);

    KeyTranslator translator;
    if (!translator.load())
        std::fprintf(stderr, "OrvaneDiagnostics: the translations cannot be loaded.\n");

    std::string error;
    SettingsMap settings;
    for (const QString& file : parser.values(settingsFile)) {
        if (!SettingsLoader::loadFile(file.toStdString(), settings, &error))
            return failure(error);
    }
    for (const QString& value : parser.values(assignment)) {
        if (!SettingsLoader::assign(value.toStdString(), settings, &error))
            return failure(error);
    }

    ModuleLoader loader;
    const std::string path = parser.isSet(modulePath) ? parser.value(modulePath).toStdString()
                                                      : ModuleLoader::defaultPath();
    if (!loader.load(path, &error))
        return failure(error);
    if (!BackendSelection::install(parser.value(platform).toStdString(), nullptr, &error))
        return failure(error);

    ModuleCatalogue catalogue(loader.instance());
    int status = 0;
    {
        MainWindow window(&catalogue, &translator, settings);
        window.show();
        status = app.exec();
    }
    loader.release();
    return status;
}
