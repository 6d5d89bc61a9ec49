#pragma once

#include <string>
#include <vector>

// The command line of OrvaneDiagnostics, read by the program itself before
// any display connection exists, so that --help and --version work without
// a display server and no option ever reaches Qt's own start-up parsing.
struct GuiOptions
{
    bool help = false;
    bool version = false;
    bool verbose = false; // the Qt platform and the backend, each with why, and Qt's warnings
    bool debug = false;   // also Qt's and the module's debug lines
    std::string platform = "auto";
    std::string modulePath;
    std::vector<std::string> settingsFiles;
    std::vector<std::string> assignments; // --set SECTION.KEY=VALUE

    // False with one sentence in error on an unknown option or a missing value.
    bool parse(const std::vector<std::string>& arguments, std::string* error);

    // The --help text, in the layout help2man reads.
    static std::string helpText();
};
