#include "host/gui/GuiOptions.h"

namespace {
// Matches "--name=value" or "--name value"; advances index over the value.
// A following "--option" is a missing value, not a value.
bool valueOption(const std::vector<std::string>& arguments, size_t& index, const std::string& name,
                 std::string* value, bool* missing)
{
    const std::string& argument = arguments[index];
    if (argument == name) {
        if (index + 1 >= arguments.size() || arguments[index + 1].rfind("--", 0) == 0) {
            *missing = true;
            return true;
        }
        *value = arguments[++index];
        return true;
    }
    if (argument.rfind(name + "=", 0) == 0) {
        *value = argument.substr(name.size() + 1);
        *missing = value->empty();
        return true;
    }
    return false;
}
} // namespace

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
        if (valueOption(arguments, i, name = "--platform", &value, &missing)) {
            platform = value;
        } else if (valueOption(arguments, i, name = "--module-path", &value, &missing)) {
            modulePath = value;
        } else if (valueOption(arguments, i, name = "--settings", &value, &missing)) {
            settingsFiles.push_back(value);
        } else if (valueOption(arguments, i, name = "--set", &value, &missing)) {
            assignments.push_back(value);
        } else {
            if (error)
                *error = "Unknown option \"" + argument + "\"; see --help";
            return false;
        }
        if (missing) {
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
           "                        backend is used, and why, on standard error\n"
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
