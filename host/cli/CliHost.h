#pragma once

#include "host/cli/CliOptions.h"
#include "host/cli/ReportFiles.h"
#include "host/runtime/DeviceRecord.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/ModuleCatalogue.h"
#include "host/runtime/RunRecord.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class ModuleLoader;

// OrvaneDiagnosticsCLI: parses the command line, loads the module, lists the
// displays or runs the chosen tests, and prints text or one JSON document.
class CliHost
{
public:
    enum ExitStatus {
        AllPassed = 0,
        SomeFailed = 1,
        UsageError = 2,
        SomeNotCompleted = 3,
        NoDisplay = 4,
        Interrupted = 130,
    };

    // Set by the SIGINT handler; the host passes it on to the running test.
    static std::atomic<bool> interruptRequested;

    // Runs the whole program; argc/argv as given to main (QApplication is
    // created inside).
    static int main(int argc, char** argv);

    // The exit status for a list of results.
    static int statusFor(const std::vector<RunRecord>& records);

private:
    struct Selection
    {
        std::vector<TestEntry> tests;
        std::vector<std::string> devices; // empty: all
    };

    explicit CliHost(CliOptions options) : m_options(std::move(options)) {}
    int run();
    int fail(const std::string& sentence, int status = UsageError);
    // Nothing to list or run: says so, writes the empty document asked for.
    int noDisplays(const std::string& sentence, const std::string& document);
    void warn(const std::string& sentence);
    // "unknown option "--lst"; did you mean --list?", or every option when
    // none is close.
    std::string unknownOption(const ModuleCatalogue& catalogue, const std::string& option);
    // The runs document with the technician, ticket and notes given first.
    std::string runsDocument(const std::vector<RunRecord>& records) const;
    bool select(const ModuleCatalogue& catalogue, Selection& selection);
    // Keeps the displays named (all when none, or "0"); false after an error.
    bool chooseDevices(std::vector<DeviceRecord>& devices, const std::vector<std::string>& named);
    void printList(const std::vector<DeviceRecord>& devices);
    // "dpy2 · E19-7 · VGA-1", or as much of it as is known.
    std::string deviceLabel(const DeviceRecord& device) const;
    // --edid: one display's EDID on standard output: its raw bytes, or hex
    // lines of sixteen bytes when standard output is a terminal.
    int writeEdid(const std::vector<DeviceRecord>& devices);
    int runTests(const ModuleCatalogue& catalogue, const std::vector<DeviceRecord>& devices,
                 const Selection& selection, const SettingsMap& settings);

    CliOptions m_options;
    KeyTranslator m_translator;
    ReportFiles m_reports; // --junit, --metrics
};
