#include "host/gui/GuiOptions.h"
#include "host/gui/MainWindow.h"
#include "host/runtime/BackendSelection.h"
#include "host/runtime/ErrorSentence.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/ModuleCatalogue.h"
#include "host/runtime/ModuleLoader.h"
#include "host/runtime/PlatformReset.h"
#include "host/runtime/QtPlatformChoice.h"
#include "host/runtime/SettingsAdvice.h"
#include "host/runtime/SettingsLoader.h"
#include "module/ProductVersion.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <cstdio>

namespace {
const char* const ProgramName = "OrvaneDiagnostics";

int printError(const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", ProgramName, ErrorSentence::of(text).c_str());
    return 2;
}

int failure(const std::string& sentence)
{
    printError(sentence);
    // Someone who started the program from a desktop sees no terminal.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QMessageBox::critical(nullptr, QStringLiteral("Orvane Diagnostics"),
                              QString::fromStdString(ErrorSentence::of(sentence)));
    return 2;
}

QtMessageHandler qtHandler = nullptr;
bool startingUp = false;
bool verboseMessages = false;
bool debugMessages = false;

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // A compositor that dies takes the windows with it: say so once and leave.
    if (QtPlatformChoice::isConnectionLoss(message))
        QtPlatformChoice::endForConnectionLoss(ProgramName, 2);
    // Qt reports each platform plugin it could not start; the program says
    // it once, in its own words, when none could.
    if (startingUp)
        return;
    // The module's windows write debug lines and Qt warns about the session;
    // a person who started the program from a terminal sees them only when
    // asking with -v (warnings, the host's own lines) or --debug (all).
    const bool wanted = type == QtCriticalMsg || type == QtFatalMsg || debugMessages ||
                        (verboseMessages && (type == QtWarningMsg || type == QtInfoMsg));
    if (!wanted)
        return;
    if (qtHandler)
        qtHandler(type, context, message);
}

// "4.35.1.6"; empty without a version object.
std::string versionText(const ProductVersion* version)
{
    if (!version)
        return {};
    return std::to_string(version->major()) + '.' + std::to_string(version->minor()) + '.' +
           std::to_string(version->build()) + '.' + std::to_string(version->revision());
}

// "DISPLAY=\":1\"", and the Wayland socket where one is named.
std::string serverNames()
{
    std::string names;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        if (qEnvironmentVariableIsEmpty(name))
            continue;
        names += std::string(names.empty() ? "" : ", ") + name + "=\"" +
                 qEnvironmentVariable(name).toStdString() + "\"";
    }
    return names;
}
} // namespace

int main(int argc, char** argv)
{
    GuiOptions options;
    std::string error;
    if (!options.parse(std::vector<std::string>(argv + 1, argv + argc), &error))
        return printError(error);
    if (options.help) {
        std::fputs(GuiOptions::helpText().c_str(), stdout);
        return 0;
    }

    ModuleLoader loader;
    const std::string path =
        options.modulePath.empty() ? ModuleLoader::defaultPath() : options.modulePath;
    if (options.version) {
        if (!loader.load(path, &error))
            return printError(error);
        const std::string version = versionText(loader.productVersion());
        if (version.empty())
            return printError("the module " + path + " gives no version");
        std::printf("%s %s\n", ProgramName, version.c_str());
        return 0;
    }

    // A platform the caller chose (offscreen in tests) is taken as it is.
    const bool platformChosen = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    std::string platformReason =
        "as QT_QPA_PLATFORM=" + qEnvironmentVariable("QT_QPA_PLATFORM").toStdString();
    if (!platformChosen) {
        if (qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return printError("no display server to show the window on: neither DISPLAY nor "
                              "WAYLAND_DISPLAY is set; run OrvaneDiagnosticsCLI instead");
        // In a Wayland session Qt's Wayland platform first, which lets the
        // compositor put each test window on its output; offscreen last, so
        // that Qt falls back instead of aborting when no server answers.
        platformReason = QtPlatformChoice::choose(true);
        startingUp = true;
    }
    verboseMessages = options.verbose;
    debugMessages = options.debug;
    qtHandler = qInstallMessageHandler(messageHandler);
    // Only the program's name reaches Qt: every option is the program's own.
    static int qtArgc = 1;
    QApplication app(qtArgc, argv);
    startingUp = false;
    // Backend threads and bus objects end while Qt still runs, not in static
    // destruction.
    const PlatformReset platformReset;
    QApplication::setApplicationName(QString::fromLatin1(ProgramName));
    // Ties the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.orvane.Diagnostics"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.orvane.Diagnostics")));
    if (!platformChosen && QGuiApplication::platformName() == QLatin1String("offscreen"))
        return printError("the display server cannot be reached (" + serverNames() + ")");
    if (options.verbose)
        std::fprintf(stderr, "%s: Qt platform %s (%s)\n", ProgramName,
                     QGuiApplication::platformName().toLocal8Bit().constData(),
                     platformReason.c_str());

    KeyTranslator translator;
    if (!translator.load())
        std::fprintf(stderr, "%s: the translations cannot be loaded.\n", ProgramName);

    SettingsMap settings;
    for (const std::string& file : options.settingsFiles) {
        if (!SettingsLoader::loadFile(file, settings, &error))
            return failure(error);
    }
    for (const std::string& value : options.assignments) {
        if (!SettingsLoader::assign(value, settings, &error))
            return failure(error);
    }
    if (!loader.load(path, &error))
        return failure(error);
    std::string backend;
    if (!BackendSelection::install(options.platform, &backend, &error))
        return failure(error);
    if (options.verbose)
        std::fprintf(stderr, "%s: display backend %s\n", ProgramName, backend.c_str());

    ModuleCatalogue catalogue(loader.instance());
    // Settings are checked as they are loaded: warnings about what they
    // probably do not mean, and a value the module cannot read, before Run.
    QStringList warnings;
    for (const std::string& warning : SettingsAdvice::warnings(settings, catalogue.timeoutKeys()))
        warnings << QString::fromStdString(ErrorSentence::of(warning));
    std::vector<TestEntry> tests;
    for (const auto& diagnostic : catalogue.diagnostics())
        tests.insert(tests.end(), diagnostic.tests.begin(), diagnostic.tests.end());
    QString settingsError;
    if (!ModuleCatalogue::configure(tests, settings, &error))
        settingsError = QString::fromStdString(ErrorSentence::of(error));
    int status = 0;
    {
        MainWindow window(&catalogue, &translator, settings);
        window.setModuleVersion(QString::fromStdString(versionText(loader.productVersion())));
        window.setSettingsAdvice(warnings, settingsError);
        window.show();
        status = app.exec();
    }
    loader.release();
    return status;
}
