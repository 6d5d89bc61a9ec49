#include "host/cli/CliOptions.h"

#include "host/runtime/OptionValue.h"

bool CliOptions::parse(const std::vector<std::string>& arguments, std::string* error)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string value;
        bool malformed = false;
        auto missing = [&](const std::string& name) {
            if (error)
                *error = "the option " + name + " needs a value";
            return false;
        };
        if (argument == "-h" || argument == "--help") {
            help = true;
        } else if (argument == "--list" || argument == "-l") {
            list = true;
        } else if (argument == "--json") {
            json = true;
        } else if (argument == "--verbose" || argument == "-v") {
            verbose = true;
        } else if (argument == "--debug") {
            verbose = true;
            debug = true;
        } else if (argument == "--version" || argument == "-V") {
            version = true;
        } else if (argument == "--no-input") {
            noInput = true;
        } else if (argument.rfind("-M", 0) == 0 && argument.rfind("--", 0) != 0) {
            if (argument.size() > 2) {
                module = argument.substr(2);
            } else if (i + 1 < arguments.size()) {
                module = arguments[++i];
            } else {
                return missing("-M");
            }
        } else if (OptionValue::take(arguments, i, "--module", &value, &malformed)) {
            if (malformed)
                return missing("--module");
            module = value;
        } else if (OptionValue::take(arguments, i, "--module-path", &value, &malformed)) {
            if (malformed || value.empty())
                return missing("--module-path");
            modulePath = value;
        } else if (OptionValue::take(arguments, i, "--platform", &value, &malformed)) {
            if (malformed || value.empty())
                return missing("--platform");
            platform = value;
        } else if (OptionValue::take(arguments, i, "--settings", &value, &malformed)) {
            if (malformed || value.empty())
                return missing("--settings");
            settingsFiles.push_back(value);
        } else if (OptionValue::take(arguments, i, "--set", &value, &malformed)) {
            if (malformed)
                return missing("--set");
            assignments.push_back(value);
        } else if (OptionValue::take(arguments, i, "--answers", &value, &malformed)) {
            if (malformed)
                return missing("--answers");
            scripted = true;
            answers = value;
        } else if (OptionValue::take(arguments, i, "--technician", &value, &malformed)) {
            if (malformed)
                return missing("--technician");
            technician = value;
        } else if (OptionValue::take(arguments, i, "--ticket", &value, &malformed)) {
            if (malformed)
                return missing("--ticket");
            ticket = value;
        } else if (OptionValue::take(arguments, i, "--notes", &value, &malformed)) {
            if (malformed)
                return missing("--notes");
            notes = value;
        } else if (argument == "--modes") {
            modes = true;
        } else if (OptionValue::take(arguments, i, "--edid", &value, &malformed)) {
            if (malformed || value.empty())
                return missing("--edid");
            edid = value;
        } else if (OptionValue::take(arguments, i, "--junit", &value, &malformed)) {
            if (malformed || value.empty())
                return missing("--junit");
            junit = value;
        } else if (OptionValue::take(arguments, i, "--metrics", &value, &malformed)) {
            if (malformed || value.empty())
                return missing("--metrics");
            metrics = value;
        } else {
            rest.push_back(argument);
        }
    }
    if (noInput && scripted) {
        if (error)
            *error = "--answers and --no-input exclude each other";
        return false;
    }
    return true;
}

std::string CliOptions::hostOptionNames()
{
    return "-M<module>, --help (-h), --list (-l), --json, "
           "--platform=auto|x11|gnome|kde|drm|sim:FILE, "
           "--module-path=FILE, --settings=FILE, --set SECTION.KEY=VALUE, --answers=LIST, "
           "--no-input, --verbose, --debug, --version (-V), --modes, --edid=DEVICE, "
           "--technician=NAME, --ticket=ID, --notes=TEXT, --junit=FILE, --metrics=FILE";
}

std::vector<std::string> CliOptions::hostOptions()
{
    return {"--help",     "--list",    "--json",    "--platform", "--module-path",
            "--settings", "--set",     "--answers", "--no-input", "--verbose",
            "--debug",    "--version", "--modes",   "--edid",     "--technician",
            "--ticket",   "--notes",   "--module",  "--junit",    "--metrics"};
}

std::string CliOptions::usage()
{
    return "Usage: OrvaneDiagnosticsCLI -M<module> [diagnostic]\"[test(s)]\" [device id(s)] "
           "[options]\n"
           "  or:  OrvaneDiagnosticsCLI --list [device id(s)] [options]\n"
           "  or:  OrvaneDiagnosticsCLI --edid DEVICE [options] > FILE\n"
           "  or:  OrvaneDiagnosticsCLI -M<module> --help\n"
           "\n"
           "Options:\n"
           "  -M<module>                 choose the module (see below)\n"
           "  -h, --help                 this text; with -M<module>, the module's help\n"
           "  -l, --list                 list the displays with their properties; with\n"
           "                             device ids, only those\n"
           "  --json                     print one JSON document instead of text\n"
           "  --junit FILE               also write the results as JUnit XML to FILE\n"
           "                             (- for standard output)\n"
           "  --metrics FILE             also write them as node exporter textfile\n"
           "                             metrics to FILE, replaced whole (- for standard\n"
           "                             output)\n"
           "  --modes                    with --list, every mode of each display\n"
           "  --edid DEVICE              write the display's EDID to standard output: raw\n"
           "                             bytes, or hex lines when that is a terminal\n"
           "  --platform NAME            auto (default), x11, gnome, kde, drm or sim:FILE (a\n"
           "                             JSON desk)\n"
           "  --module-path FILE         the module library to load\n"
           "  --settings FILE            settings for the tests, as an INI file\n"
           "  --set SECTION.KEY=VALUE    one setting (repeatable; after --settings)\n"
           "  --answers LIST             answer attended tests from LIST: continue, cancel,\n"
           "                             yes, no or answer codes, separated by commas\n"
           "  --no-input                 ask nothing, even at a terminal: attended tests\n"
           "                             end not performed\n"
           "  -v, --verbose              the display backend chosen and why, each test as\n"
           "                             it starts\n"
           "  --debug                    also Qt's and the module's debug messages\n"
           "  --technician NAME          who tested, kept in the JSON document\n"
           "  --ticket ID                the ticket the tests belong to, kept likewise\n"
           "  --notes TEXT               notes, kept likewise\n"
           "  -V, --version              print the program's name and the module's version\n"
           "\n"
           "At a terminal, without --answers or --no-input, the questions of attended tests\n"
           "are asked on the terminal.\n"
           "\n"
           "Exit status: 0 all tests passed (or nothing ran), 1 a test failed,\n"
           "3 a test was not performed, aborted or not run, 2 usage or settings error,\n"
           "4 no display was found.\n";
}
