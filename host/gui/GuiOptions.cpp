#include "host/gui/GuiOptions.h"

#include "host/runtime/OptionSuggestion.h"
#include "host/runtime/OptionValue.h"

bool GuiOptions::parse(const std::vector<std::string>& arguments, std::string* error)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string value;
        bool missing = false;
        std::string name;
        if (argument == "-h" || argument == "--help") {
            help = true;
            continue;
        }
        if (argument == "-V" || argument == "--version") {
            version = true;
            continue;
        }
        if (argument == "-v" || argument == "--verbose") {
            verbose = true;
            continue;
        }
        if (argument == "--debug") {
            verbose = true;
            debug = true;
            continue;
        }
        if (OptionValue::take(arguments, i, name = "--platform", &value, &missing)) {
            platform = value;
        } else if (OptionValue::take(arguments, i, name = "--module-path", &value, &missing)) {
            modulePath = value;
        } else if (OptionValue::take(arguments, i, name = "--settings", &value, &missing)) {
            settingsFiles.push_back(value);
        } else if (OptionValue::take(arguments, i, name = "--set", &value, &missing)) {
            assignments.push_back(value);
        } else {
            if (error) {
                const auto nearest = OptionSuggestion::closest(
                    argument, {"--help", "--version", "--verbose", "--debug", "--platform",
                               "--module-path", "--settings", "--set"});
                *error = "Unknown option \"" + argument + "\"; " +
                         (nearest ? "did you mean " + *nearest + "?" : "see --help");
            }
            return false;
        }
        // "--platform=" names nothing either (argument still is the option itself).
        if (missing || (value.empty() && argument != name)) {
            if (error)
                *error = "the option " + name + " needs a value";
            return false;
        }
    }
    return true;
}

std::string GuiOptions::helpText()
{
    return "Usage: OrvaneDiagnostics [OPTION]...\n"
           "Run the display module's attended tests with a person at the machine.\n"
           "\n"
           "Shows the desk of displays, the tests of the quick diagnostic, their\n"
           "questions and windows, and a session report that can be saved as JSON,\n"
           "HTML or PDF.\n"
           "\n"
           "Options:\n"
           "  --platform=NAME       display backend: auto, x11, gnome, kde, drm or sim:FILE\n"
           "                        (a desk file)\n"
           "  --module-path=FILE    load the module from FILE instead of the program's own\n"
           "  --settings=FILE       test settings from an INI file (repeatable)\n"
           "  --set SECTION.KEY=VALUE\n"
           "                        one setting, applied after the files (repeatable)\n"
           "  -v, --verbose         say which Qt platform shows the windows and which display\n"
           "                        backend is used, and why, and Qt's warnings, on standard\n"
           "                        error (without it nothing is written there but errors)\n"
           "  --debug               also Qt's and the module's debug messages\n"
           "  -h, --help            display this help and exit\n"
           "  -V, --version         output version information and exit\n"
           "\n"
           "Every option that takes a value accepts it after \"=\" or as the next argument.\n"
           "The program needs a display server (X11, or Wayland where Qt supports it).\n"
           "\n"
           "Exit status:\n"
           "  0  the window was closed\n"
           "  2  a usage, module, platform or settings error, or no display server\n";
}
