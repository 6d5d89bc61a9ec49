#pragma once

#include <string>
#include <vector>

// The command line of OrvaneDiagnosticsCLI, read in two steps: the host's
// own options first, then (once the module is loaded and its command-line
// names are known) the diagnostic options and device identifiers.
struct CliOptions
{
    bool help = false;
    bool list = false;
    bool json = false;
    bool verbose = false; // the host's own lines
    bool debug = false;   // also Qt's and the module's debug lines
    bool version = false;
    bool noInput = false;   // never read answers from the terminal
    std::string module;     // after -M
    std::string modulePath; // --module-path
    std::string platform = "auto";
    std::vector<std::string> settingsFiles;
    std::vector<std::string> assignments; // --set SECTION.KEY=VALUE
    bool scripted = false;                // --answers given
    std::string answers;
    bool modes = false;  // --list shows every mode
    std::string edid;    // --edid: the display whose EDID to write
    std::string junit;   // --junit: the JUnit XML file, "-" standard output
    std::string metrics; // --metrics: the node exporter's textfile, "-" standard output
    // Who tested, for which ticket: kept in the JSON document.
    std::string technician;
    std::string ticket;
    std::string notes;
    // Everything else, in order: diagnostic options and device identifiers.
    std::vector<std::string> rest;

    // Reads the host's options. False with one sentence in error on a
    // malformed option (a value missing, or --answers with --no-input).
    bool parse(const std::vector<std::string>& arguments, std::string* error);

    // The host's own options, for messages.
    static std::string hostOptionNames();
    // The host's own option names ("--list", "-l", ...), for suggestions.
    static std::vector<std::string> hostOptions();
    // The usage text of the host (without any module's help).
    static std::string usage();
};
