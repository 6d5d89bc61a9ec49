#include "host/cli/CliHost.h"

#include "host/cli/ConsoleInterrupt.h"
#include "host/cli/ProgressLine.h"
#include "host/cli/TerminalRequestHandler.h"
#include "host/runtime/BackendSelection.h"
#include "host/runtime/DisplayLabel.h"
#include "host/runtime/DisplayVerdict.h"
#include "host/runtime/ErrorSentence.h"
#include "host/runtime/JsonReport.h"
#include "host/runtime/ModuleLoader.h"
#include "host/runtime/OptionSuggestion.h"
#include "host/runtime/PlatformReset.h"
#include "host/runtime/PlatformSummary.h"
#include "host/runtime/QtPlatformChoice.h"
#include "host/runtime/ScriptedRequestHandler.h"
#include "host/runtime/SettingsAdvice.h"
#include "host/runtime/SettingsLoader.h"
#include "host/runtime/SystemEventMonitor.h"
#include "host/runtime/TestRunner.h"
#include "host/runtime/WindowExecutor.h"
#include "module/ProductVersion.h"

#include <QApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <unistd.h>

std::atomic<bool> CliHost::interruptRequested{false};

namespace {
const char* const ProgramName = "OrvaneDiagnosticsCLI";
const uint32_t NotRunResult = 6;

// What standard output must end with if the program is killed by a second
// Ctrl+C: the document of the tests finished so far. Published by the
// user-interface thread; earlier snapshots stay alive because the signal
// handler may still be reading one.
std::atomic<const std::string*> interruptDocument{nullptr};
std::vector<std::unique_ptr<std::string>> documentSnapshots;

void publishInterruptDocument(std::string document)
{
    documentSnapshots.push_back(std::make_unique<std::string>(std::move(document)));
    interruptDocument.store(documentSnapshots.back().get());
}

void writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written <= 0)
            return;
        data += written;
        size -= static_cast<size_t>(written);
    }
}

void onInterrupt(int)
{
    // A second Ctrl+C does not wait for the running test.
    if (CliHost::interruptRequested.exchange(true)) {
        writeAll(STDERR_FILENO, "\n", 1);
        if (const std::string* document = interruptDocument.load())
            writeAll(STDOUT_FILENO, document->data(), document->size());
        _exit(CliHost::Interrupted);
    }
}

bool debugMessages = false;
bool verboseMessages = false;

// The module's windows write debug lines and Qt warns about the session
// environment; a command-line user only wants those when asking for them
// with --debug. The host's own information lines (where a test window
// landed) come with --verbose.
void messageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (QtPlatformChoice::isConnectionLoss(message))
        QtPlatformChoice::endForConnectionLoss(ProgramName, CliHost::UsageError);
    const bool wanted = type == QtCriticalMsg || type == QtFatalMsg || debugMessages ||
                        (type == QtInfoMsg && verboseMessages);
    if (!wanted)
        return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

std::string unquoted(std::string text)
{
    if (text.size() >= 2 && ((text.front() == '"' && text.back() == '"') ||
                             (text.front() == '\'' && text.back() == '\'')))
        text = text.substr(1, text.size() - 2);
    return text;
}

std::vector<std::string> splitList(const std::string& list)
{
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        std::string item = list.substr(start, comma - start);
        const size_t first = item.find_first_not_of(' ');
        const size_t last = item.find_last_not_of(' ');
        if (first != std::string::npos)
            items.push_back(item.substr(first, last - first + 1));
        start = comma + 1;
    }
    return items;
}

std::string joined(const std::vector<std::string>& items)
{
    std::string text;
    for (size_t i = 0; i < items.size(); ++i)
        text += (i ? ", " : "") + items[i];
    return text;
}

void writeBytes(const std::string& bytes)
{
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

bool isDiagnosticOption(const ModuleCatalogue& catalogue, const std::string& argument)
{
    for (const auto& diagnostic : catalogue.diagnostics()) {
        const std::string longOption = "--" + diagnostic.longName;
        if ((!diagnostic.longName.empty() &&
             (argument == longOption || argument.rfind(longOption + "=", 0) == 0)) ||
            (!diagnostic.shortName.empty() && argument.rfind("--", 0) != 0 &&
             argument.rfind("-" + diagnostic.shortName, 0) == 0))
            return true;
    }
    return false;
}

// Qt sees only the program's name: the host's own options, such as
// "--platform NAME", would otherwise be taken for Qt's and abort its start.
int qtArgc = 1;
char* qtArgv[] = {nullptr, nullptr};

// Whether the user asked for Qt's offscreen platform through QT_QPA_PLATFORM.
bool offscreenChosenByUser = false;
} // namespace

int CliHost::main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    CliOptions options;
    std::string error;
    const bool parsed = options.parse(arguments, &error);
    if (!parsed) // the error still goes out as a document when one was asked for
        options.json = std::find(arguments.begin(), arguments.end(), "--json") != arguments.end();

    // Windows of attended tests need a screen: the compositor's or the X
    // display's when one can be reached, otherwise Qt draws them off screen.
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    offscreenChosenByUser = chosen.startsWith("offscreen");
    const std::string platformReason = QtPlatformChoice::choose(true);
    // A platform the user named that cannot start falls back to offscreen
    // instead of aborting the program.
    if (!chosen.isEmpty() && !chosen.contains("offscreen"))
        qputenv("QT_QPA_PLATFORM", chosen + ";offscreen");
    debugMessages = options.debug;
    verboseMessages = options.verbose;
    qInstallMessageHandler(messageHandler);
    // Listing, help and the version need no screen: a core application starts
    // several times faster than one that connects to the display server.
    const bool needsScreen =
        parsed && !options.list && !options.help && !options.version && options.edid.empty();
    qtArgv[0] = argc > 0 ? argv[0] : const_cast<char*>(ProgramName);
    std::unique_ptr<QCoreApplication> app;
    if (needsScreen)
        app = std::make_unique<QApplication>(qtArgc, qtArgv);
    else
        app = std::make_unique<QCoreApplication>(qtArgc, qtArgv);
    if (needsScreen && options.verbose)
        std::fprintf(stderr, "%s: Qt platform %s (%s)\n", ProgramName,
                     QGuiApplication::platformName().toLocal8Bit().constData(),
                     platformReason.c_str());

    // Backend threads and bus objects end while Qt still runs, not in static
    // destruction.
    const PlatformReset platformReset;

    ConsoleInterrupt::install(onInterrupt);

    CliHost host(options);
    if (!parsed)
        return host.fail(error);
    return host.run();
}

int CliHost::statusFor(const std::vector<RunRecord>& records)
{
    bool failed = false;
    bool incomplete = false;
    for (const RunRecord& record : records) {
        failed = failed || record.result == 1;
        incomplete = incomplete || record.result != 0;
    }
    return failed ? SomeFailed : incomplete ? SomeNotCompleted : AllPassed;
}

int CliHost::fail(const std::string& what, int status)
{
    const std::string text = ErrorSentence::of(what);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", ProgramName, text.c_str());
    if (m_options.json)
        writeBytes(JsonReport::error(text));
    std::fflush(stdout);
    return status;
}

int CliHost::noDisplays(const std::string& what, const std::string& document)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", ProgramName, ErrorSentence::of(what).c_str());
    if (m_options.json)
        writeBytes(document);
    std::fflush(stdout);
    return NoDisplay;
}

void CliHost::warn(const std::string& what)
{
    std::string text = what;
    if (!text.empty() && text.back() != '.' && text.back() != '?')
        text += '.';
    std::fprintf(stderr, "%s: warning: %s\n", ProgramName, text.c_str());
    std::fflush(stderr);
}

std::string CliHost::unknownOption(const ModuleCatalogue& catalogue, const std::string& option)
{
    std::vector<std::string> names;
    for (const auto& diagnostic : catalogue.diagnostics()) {
        names.push_back("-" + diagnostic.shortName);
        names.push_back("--" + diagnostic.longName);
    }
    std::vector<std::string> candidates = CliOptions::hostOptions();
    for (const auto& diagnostic : catalogue.diagnostics())
        candidates.push_back("--" + diagnostic.longName);
    if (const auto nearest = OptionSuggestion::closest(option, candidates))
        return "unknown option \"" + option + "\"; did you mean " + *nearest + "?";
    return "unknown option \"" + option + "\"; the options are: " + CliOptions::hostOptionNames() +
           ", " + joined(names) + " and device identifiers";
}

std::string CliHost::runsDocument(const std::vector<RunRecord>& records) const
{
    const std::string document = JsonReport::runs(records);
    std::string head;
    for (const auto& [key, value] :
         {std::make_pair("technician", &m_options.technician),
          std::make_pair("ticket", &m_options.ticket), std::make_pair("notes", &m_options.notes)}) {
        if (value->empty())
            continue;
        // What the user typed is text of the terminal's (UTF-8), not module bytes.
        const QByteArray quoted = QJsonDocument(QJsonArray{QString::fromLocal8Bit(value->c_str())})
                                      .toJson(QJsonDocument::Compact);
        head += "\n  \"" + std::string(key) +
                "\": " + quoted.mid(1, quoted.size() - 2).toStdString() + ",";
    }
    return head.empty() ? document : "{" + head + document.substr(1);
}

int CliHost::run()
{
    if (!m_translator.load())
        std::fprintf(stderr, "%s: the translations cannot be loaded; showing text keys.\n",
                     ProgramName);

    ModuleLoader loader;
    std::string error;
    const std::string path =
        m_options.modulePath.empty() ? ModuleLoader::defaultPath() : m_options.modulePath;
    if (!loader.load(path, &error))
        return fail(error);
    if (m_options.version) {
        ProductVersion* version = loader.productVersion();
        if (version)
            std::printf("%s %u.%u.%u.%u\n", ProgramName, version->major(), version->minor(),
                        version->build(), version->revision());
        return AllPassed;
    }
    ModuleCatalogue catalogue(loader.instance());
    const std::string modules = catalogue.name().empty() ? "none" : catalogue.name();

    if (!m_options.module.empty() && m_options.module != catalogue.name()) {
        std::string lower = m_options.module;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower != catalogue.name())
            return fail("unknown module \"" + m_options.module +
                        "\"; the available modules are: " + modules);
    }
    if (m_options.help) {
        if (!m_options.module.empty()) {
            writeBytes(catalogue.helpText());
        } else {
            writeBytes(CliOptions::usage());
            writeBytes("\nAvailable modules: " + modules + "\n");
            writeBytes("Use -M<module> --help for a module's tests and examples.\n");
        }
        std::fflush(stdout);
        return AllPassed;
    }
    if (!m_options.edid.empty() && m_options.json)
        return fail("--edid writes the EDID's own bytes and cannot be combined with --json");
    if (m_options.modes && !m_options.list)
        return fail("--modes only goes with --list");
    if (!m_options.edid.empty() && m_options.list)
        return fail("--edid and --list exclude each other");
    const bool edidOnly = !m_options.edid.empty();
    // Without a module the diagnostic options are unknown too: the same
    // answer as with -M, not a reminder to choose a module.
    if (m_options.list || edidOnly || m_options.module.empty()) {
        for (const std::string& argument : m_options.rest) {
            if (argument.size() < 2 || argument[0] != '-')
                continue;
            if (!isDiagnosticOption(catalogue, argument))
                return fail(unknownOption(catalogue, argument));
            if (m_options.list || edidOnly)
                return fail(std::string(edidOnly ? "--edid" : "--list") +
                            " takes no tests, but got \"" + argument + "\"");
            return fail("the tests of " + argument +
                        " need a module: add -M<module> (available: " + modules + ")");
        }
    }
    if (!m_options.list && !edidOnly && m_options.module.empty()) {
        for (const char* word : {"help", "list", "version"}) {
            if (std::find(m_options.rest.begin(), m_options.rest.end(), word) !=
                m_options.rest.end())
                return fail("unknown command \"" + std::string(word) + "\"; did you mean --" +
                            word + "?");
        }
        return fail("choose a module with -M<module> (available: " + modules +
                    "), or use --list or --help");
    }

    Selection selection;
    if (edidOnly) {
        if (!m_options.rest.empty())
            return fail("--edid takes no tests or devices, but got \"" + m_options.rest.front() +
                        "\"");
    } else if (!m_options.list && !select(catalogue, selection)) {
        return UsageError;
    }
    if (!m_reports.open(m_options, &error))
        return fail(error);
    m_reports.setMessageText([this](const std::string& key) { return m_translator.text(key); });

    SettingsMap settings;
    for (const std::string& file : m_options.settingsFiles) {
        if (!SettingsLoader::loadFile(file, settings, &error))
            return fail(error);
    }
    for (const std::string& assignment : m_options.assignments) {
        if (!SettingsLoader::assign(assignment, settings, &error))
            return fail(error);
    }

    std::string description;
    if (!BackendSelection::install(m_options.platform, &description, &error))
        return fail(error);
    if (m_options.verbose)
        std::fprintf(stderr, "%s: display backend %s\n", ProgramName, description.c_str());

    std::vector<DeviceRecord> devices = catalogue.refresh();
    if (edidOnly)
        return writeEdid(devices);
    if (m_options.list) {
        if (devices.empty())
            return noDisplays("no displays were found", JsonReport::devices({}));
        if (!chooseDevices(devices, m_options.rest))
            return UsageError;
        printList(devices);
        return AllPassed;
    }

    // Finding the keys the tests read configures them: before the real settings.
    const std::vector<std::string> warnings =
        SettingsAdvice::warnings(settings, catalogue.timeoutKeys());
    if (!ModuleCatalogue::configure(selection.tests, settings, &error))
        return fail(error);
    m_reports.setFound(devices);
    if (devices.empty()) {
        if (!m_reports.write({}, {}, {}, &error))
            return fail(error);
        return noDisplays("no displays were found; nothing was run", JsonReport::runs({}));
    }
    if (!chooseDevices(devices, selection.devices))
        return UsageError;
    for (const std::string& warning : warnings)
        warn(warning);
    if (interruptRequested.load())
        return fail("interrupted before any test ran", Interrupted);
    return runTests(catalogue, devices, selection, settings);
}

bool CliHost::chooseDevices(std::vector<DeviceRecord>& devices,
                            const std::vector<std::string>& named)
{
    if (named.empty() || std::find(named.begin(), named.end(), "0") != named.end())
        return true;
    std::vector<std::string> ids;
    for (const DeviceRecord& device : devices)
        ids.push_back(device.id);
    for (const std::string& requested : named) {
        if (std::find(ids.begin(), ids.end(), requested) == ids.end()) {
            fail("unknown device \"" + requested + "\"; the displays are: 0 (all), " + joined(ids));
            return false;
        }
    }
    devices.erase(std::remove_if(devices.begin(), devices.end(),
                                 [&](const DeviceRecord& device) {
                                     return std::find(named.begin(), named.end(), device.id) ==
                                            named.end();
                                 }),
                  devices.end());
    return true;
}

std::string CliHost::deviceLabel(const DeviceRecord& device) const
{
    // Without any model name, the module's name for the display.
    const PlatformSummary summary(device);
    return DisplayLabel::of(device.id,
                            summary.modelName() ? summary.modelName()
                                                : std::optional(m_translator.bytes(device.name)),
                            summary.connector());
}

bool CliHost::select(const ModuleCatalogue& catalogue, Selection& selection)
{
    std::vector<std::string> optionNames;
    for (const auto& diagnostic : catalogue.diagnostics()) {
        optionNames.push_back("-" + diagnostic.shortName);
        optionNames.push_back("--" + diagnostic.longName);
    }
    std::map<size_t, std::set<std::string>> chosen; // diagnostic -> test names ("" = all)
    std::vector<std::string> devices;
    const std::vector<std::string>& rest = m_options.rest;
    for (size_t index = 0; index < rest.size(); ++index) {
        const std::string& argument = rest[index];
        if (argument.size() < 2 || argument[0] != '-') {
            devices.push_back(argument);
            continue;
        }
        bool matched = false;
        for (size_t d = 0; d < catalogue.diagnostics().size() && !matched; ++d) {
            const auto& diagnostic = catalogue.diagnostics()[d];
            std::string list;
            const std::string longOption = "--" + diagnostic.longName;
            const std::string shortOption = "-" + diagnostic.shortName;
            if (!diagnostic.shortName.empty() && argument.rfind(shortOption + "=", 0) == 0) {
                fail("\"" + argument + "\": the tests follow " + shortOption + " without \"=\" (" +
                     shortOption + "\"" + argument.substr(shortOption.size() + 1) + "\" or " +
                     shortOption + " " + argument.substr(shortOption.size() + 1) + "), or use " +
                     longOption + "=" + argument.substr(shortOption.size() + 1));
                return false;
            }
            if ((!diagnostic.longName.empty() && argument == longOption) ||
                (!diagnostic.shortName.empty() && argument == shortOption)) {
                matched = true;
                // -Q "f,s": the list as the next argument, as getopt allows;
                // a display identifier there stays one.
                if (index + 1 < rest.size() && !rest[index + 1].empty() &&
                    rest[index + 1][0] != '-') {
                    const std::vector<std::string> items = splitList(unquoted(rest[index + 1]));
                    const bool tests =
                        !items.empty() &&
                        std::all_of(items.begin(), items.end(), [&](const std::string& item) {
                            return item != "0" && ModuleCatalogue::findTest(diagnostic, item);
                        });
                    if (tests)
                        list = rest[++index];
                }
            } else if (!diagnostic.longName.empty() && argument.rfind(longOption + "=", 0) == 0) {
                matched = true;
                list = argument.substr(longOption.size() + 1);
            } else if (!diagnostic.shortName.empty() && argument.rfind("--", 0) != 0 &&
                       argument.rfind(shortOption, 0) == 0) {
                matched = true;
                list = argument.substr(shortOption.size());
            }
            if (!matched)
                continue;
            auto& names = chosen[d];
            const std::vector<std::string> items = splitList(unquoted(list));
            if (items.empty())
                names.insert("");
            for (const std::string& item : items) {
                if (item == "0") {
                    names.insert("");
                    continue;
                }
                if (!ModuleCatalogue::findTest(diagnostic, item)) {
                    std::vector<std::string> valid;
                    for (const TestEntry& test : diagnostic.tests)
                        valid.push_back(test.shortName + " (" + test.longName + ")");
                    fail("unknown test \"" + item + "\"; the tests of " + longOption +
                         " are: " + joined(valid));
                    return false;
                }
                names.insert(item);
            }
        }
        if (!matched) {
            fail(unknownOption(catalogue, argument));
            return false;
        }
    }
    // Device identifiers alone ("-Mdisplay 0") run the whole first diagnostic.
    if (chosen.empty() && !devices.empty() && !catalogue.diagnostics().empty())
        chosen[0].insert("");
    if (chosen.empty()) {
        fail("nothing to run: give a diagnostic (" + joined(optionNames) +
             ") or device identifiers; see -M" + catalogue.name() + " --help");
        return false;
    }
    for (const auto& [d, names] : chosen) {
        for (const TestEntry& test : catalogue.diagnostics()[d].tests) {
            if (names.count("") || names.count(test.shortName) || names.count(test.longName))
                selection.tests.push_back(test);
        }
    }
    selection.devices = devices;
    return true;
}

void CliHost::printList(const std::vector<DeviceRecord>& devices)
{
    if (m_options.json) {
        writeBytes(JsonReport::devices(devices));
        std::fflush(stdout);
        return;
    }
    for (const DeviceRecord& device : devices) {
        const PlatformSummary summary(device);
        writeBytes(device.id + ": " +
                   (summary.modelName() ? *summary.modelName() : m_translator.bytes(device.name)) +
                   "\n");
        for (const Property& property : device.properties)
            writeBytes("    " + m_translator.bytes(property.key) + ": " +
                       m_translator.bytes(property.value) + "\n");
        for (const std::string& line : summary.textLines(m_options.modes))
            writeBytes("    " + line + "\n");
    }
    std::fflush(stdout);
}

int CliHost::writeEdid(const std::vector<DeviceRecord>& devices)
{
    if (devices.empty())
        return fail("no displays were found", NoDisplay);
    std::vector<std::string> ids;
    for (const DeviceRecord& device : devices) {
        ids.push_back(device.id);
        if (device.id != m_options.edid)
            continue;
        if (!device.platform || device.platform->edid.empty())
            return fail("the display " + device.id + " has no EDID to write");
        const std::vector<uint8_t>& edid = device.platform->edid;
        if (isatty(STDOUT_FILENO)) {
            // Raw bytes would garble a terminal; a pipe (| edid-decode) gets them.
            const std::string hex = PlatformSummary::hex(edid);
            for (size_t i = 0; i < hex.size(); i += 32)
                writeBytes(hex.substr(i, 32) + "\n");
        } else {
            std::fwrite(edid.data(), 1, edid.size(), stdout);
        }
        std::fflush(stdout);
        return AllPassed;
    }
    return fail("unknown device \"" + m_options.edid + "\"; the displays are: " + joined(ids));
}

int CliHost::runTests(const ModuleCatalogue&, const std::vector<DeviceRecord>& devices,
                      const Selection& selection, const SettingsMap& settings)
{
    std::vector<TestRunner::Job> jobs;
    std::map<std::string, std::string> labels;
    bool attended = false;
    for (const DeviceRecord& device : devices) {
        labels[device.id] = deviceLabel(device);
        for (const TestEntry& test : selection.tests) {
            jobs.push_back({device.id, device.component, test});
            attended = attended || test.attended;
        }
    }

    std::deque<uint32_t> answers;
    std::string error;
    if (m_options.scripted &&
        !ScriptedRequestHandler::parseAnswers(m_options.answers, answers, &error))
        return fail(error);

    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    ProgressLine progressLine(stderr, isatty(STDERR_FILENO));
    bool asking = false;           // a question is on the terminal
    TestRunner* running = nullptr; // set once the runner exists
    // Ctrl+C stops the run; a question on the terminal answers it first, and
    // the stop is asked before the answer reaches the test.
    auto stopOnInterrupt = [&]() {
        if (running && interruptRequested.load() && !running->stopRequested() && !asking) {
            running->requestStop();
            progressLine.clear();
            std::fprintf(stderr, "%s: stopping; press Ctrl+C again to quit at once.\n",
                         ProgramName);
        }
    };
    ScriptedRequestHandler scripted(m_options.scripted, answers, settings);
    scripted.setWindowTitle([&](const RequestHandler::Context& context) {
        const auto label = labels.find(context.device);
        return m_translator.text(context.test.nameKey) + QStringLiteral(" \u2014 ") +
               QString::fromStdString(label == labels.end() ? context.device : label->second);
    });
    std::unique_ptr<TerminalRequestHandler> terminal;
    if (!m_options.scripted && !m_options.noInput && isatty(STDIN_FILENO)) {
        TerminalRequestHandler::Options options;
        options.deviceLabels = labels;
        options.interrupt = &interruptRequested;
        // Off screen nobody can press Escape: windows end as in scripted runs.
        options.windowLimitMs = [&settings, offscreen](const std::string& nameKey) {
            return offscreen ? ScriptedRequestHandler::timeoutSeconds(settings, nameKey) * 1000 +
                                   ScriptedRequestHandler::GraceMs
                             : -1;
        };
        options.asking = [&](bool now) {
            asking = now;
            if (now) {
                progressLine.suspend();
                return;
            }
            stopOnInterrupt();
            // The end of input answers every further question cancel: the
            // tests not started yet are left out (not run) instead.
            if (terminal && terminal->inputEnded() && running && !running->stopRequested()) {
                running->requestStop();
                std::fprintf(stderr, "%s: end of input: the tests not started are not run.\n",
                             ProgramName);
            }
            progressLine.resume();
        };
        terminal = std::make_unique<TerminalRequestHandler>(m_translator, options);
    }
    RequestHandler* handler = terminal ? static_cast<RequestHandler*>(terminal.get()) : &scripted;
    if (attended && offscreen && handler->acceptsInput())
        warn(std::string("the test windows are drawn on Qt's offscreen platform, ") +
             (offscreenChosenByUser ? "as QT_QPA_PLATFORM asks"
                                    : "as no display server can be reached") +
             ": nobody can see or judge them");

    SystemEventMonitor events;
    TestRunner runner(handler, &events);
    running = &runner;
    std::vector<std::vector<std::string>> messages(jobs.size());

    QObject::connect(&runner, &TestRunner::jobProgress, [&](int, int percent, const QString& text) {
        progressLine.update(percent, m_translator.bytes(text.toStdString()));
    });
    // A window whose single pixels are not exact is said before anyone
    // judges it: on standard error and in the run's JSON.
    std::vector<std::vector<std::string>> warnings(jobs.size());
    std::atomic<int> runningJob{-1};
    std::mutex warningsMutex;
    WindowExecutor::setWarningSink([&](const QString& why) {
        const int index = runningJob.load();
        if (index < 0)
            return;
        const std::string text = jobs[size_t(index)].device + ": " + why.toStdString();
        progressLine.clear();
        warn(text);
        std::lock_guard<std::mutex> lock(warningsMutex);
        warnings[size_t(index)].push_back(text);
    });
    QObject::connect(&runner, &TestRunner::jobStarted, [&](int index) {
        runningJob = index;
        const TestRunner::Job& job = jobs[index];
        if (m_options.verbose) {
            progressLine.clear();
            std::fprintf(stderr, "%s: %s: %s\n", ProgramName, job.device.c_str(),
                         job.test.longName.c_str());
        }
        progressLine.start(labels[job.device], m_translator.bytes(job.test.nameKey));
    });
    // The same records as the runner's, built here from its signals so that
    // this thread can publish them while the worker goes on.
    std::vector<RunRecord> finished;
    std::vector<std::vector<RunRecord::Progress>> progress(jobs.size());
    // A test that never started is recorded as not run, as the front end does.
    const auto notRun = [&](size_t index) {
        RunRecord record = TestRunner::recordOf(jobs[index].device, jobs[index].test);
        record.result = NotRunResult;
        return record;
    };
    const auto withNotRun = [&](std::vector<RunRecord> records) {
        for (size_t i = records.size(); i < jobs.size(); ++i)
            records.push_back(notRun(i));
        PlatformSummary::describeRuns(records, devices);
        return records;
    };
    if (m_options.json)
        publishInterruptDocument(runsDocument(withNotRun({})));
    QObject::connect(&runner, &TestRunner::jobProgress,
                     [&](int index, int percent, const QString& text) {
                         progress[index].push_back({percent, text.toStdString()});
                     });
    QObject::connect(&runner, &TestRunner::jobMessage, [&](int index, const QString& key) {
        messages[index].push_back(key.toStdString());
    });
    QObject::connect(&runner, &TestRunner::jobFinished, [&](int index, unsigned result) {
        if (m_options.json) {
            const TestRunner::Job& job = jobs[index];
            RunRecord record;
            record.device = job.device;
            record.test = job.test.longName;
            record.shortName = job.test.shortName;
            record.itemId = job.test.itemId;
            record.result = result;
            record.progress = progress[index];
            record.messages = messages[index];
            {
                std::lock_guard<std::mutex> lock(warningsMutex);
                record.warnings = warnings[index];
            }
            finished.push_back(record);
            publishInterruptDocument(runsDocument(withNotRun(finished)));
        }
        progressLine.finish();
        if (m_options.json || m_reports.useStandardOutput())
            return;
        const TestRunner::Job& job = jobs[index];
        std::string text = job.device + "  " + m_translator.bytes(job.test.nameKey) + ": " +
                           m_translator.resultName(result).toStdString() + "\n";
        for (const std::string& message : messages[index])
            text += "    " + m_translator.bytes(message) + "\n";
        writeBytes(text);
        std::fflush(stdout);
    });

    QTimer interruptPoll;
    QObject::connect(&interruptPoll, &QTimer::timeout, stopOnInterrupt);
    interruptPoll.start(50);

    runner.start(jobs);
    runner.waitForFinished();
    interruptPoll.stop();
    WindowExecutor::setWarningSink({});

    progressLine.finish();
    if (scripted.unanswered() > 0)
        warn("the answers given with --answers ran out: " + std::to_string(scripted.unanswered()) +
             " question(s) were answered cancel");
    if (m_options.scripted && scripted.leftOver() > 0)
        warn(std::to_string(scripted.leftOver()) + " answer(s) given with --answers were not used");

    const size_t ran = runner.records().size();
    std::vector<RunRecord> ranRecords = runner.records();
    for (size_t i = 0; i < ranRecords.size() && i < warnings.size(); ++i)
        ranRecords[i].warnings = warnings[i];
    const std::vector<RunRecord> records = withNotRun(std::move(ranRecords));
    interruptDocument.store(nullptr);
    if (m_options.json) {
        writeBytes(runsDocument(records));
    } else if (!m_reports.useStandardOutput()) {
        std::string text;
        for (size_t i = ran; i < records.size(); ++i)
            text += records[i].device + "  " + m_translator.bytes(records[i].nameKey) + ": " +
                    m_translator.resultName(NotRunResult).toStdString() + "\n";
        // The closing lines: one verdict per display.
        text += "\n";
        for (const DisplayVerdict& verdict : DisplayVerdict::of(
                 records, [&labels](const RunRecord& run) { return labels[run.device]; }))
            text += verdict.line() + "\n";
        writeBytes(text);
    }
    std::fflush(stdout);
    if (!m_reports.write(devices, labels, records, &error))
        return fail(error);
    return statusFor(records);
}
