#include "host/runtime/SettingsLoader.h"

#include <fstream>
#include <sstream>

namespace {
std::string trimmed(const std::string& text)
{
    const char* space = " \t\r\n\f\v";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(space);
    return text.substr(first, last - first + 1);
}

std::string unquoted(const std::string& value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}
} // namespace

bool SettingsLoader::loadFile(const std::string& path, SettingsMap& settings, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error)
            *error = "the settings file " + path + " cannot be read";
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad()) {
        if (error)
            *error = "the settings file " + path + " cannot be read";
        return false;
    }
    return parse(content.str(), path, settings, error);
}

bool SettingsLoader::parse(const std::string& text, const std::string& source,
                           SettingsMap& settings, std::string* error)
{
    SettingsMap parsed = settings;
    std::string section;
    bool inSection = false;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& what) {
        if (error)
            *error = "the settings file " + source + " has " + what + " on line " +
                     std::to_string(number);
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == ';' || content[0] == '#')
            continue;
        if (content[0] == '[') {
            if (content.back() != ']')
                return fail("a section header without a closing bracket");
            section = trimmed(content.substr(1, content.size() - 2));
            if (section.empty())
                return fail("a section without a name");
            inSection = true;
            parsed[section];
            continue;
        }
        const size_t equals = content.find('=');
        if (equals == std::string::npos)
            return fail("a line that is neither a section nor KEY=VALUE");
        const std::string key = trimmed(content.substr(0, equals));
        if (key.empty())
            return fail("a value without a key");
        if (!inSection)
            return fail("the key " + key + " outside any section");
        parsed[section][key] = unquoted(trimmed(content.substr(equals + 1)));
    }
    settings = std::move(parsed);
    return true;
}

bool SettingsLoader::assign(const std::string& assignment, SettingsMap& settings,
                            std::string* error)
{
    const size_t equals = assignment.find('=');
    const size_t dot = assignment.find('.');
    if (equals == std::string::npos || dot == std::string::npos || dot > equals) {
        if (error)
            *error = "the setting \"" + assignment + "\" is not of the form SECTION.KEY=VALUE";
        return false;
    }
    const std::string section = assignment.substr(0, dot);
    const std::string key = assignment.substr(dot + 1, equals - dot - 1);
    if (section.empty() || key.empty()) {
        if (error)
            *error = "the setting \"" + assignment + "\" needs both a section and a key";
        return false;
    }
    settings[section][key] = assignment.substr(equals + 1);
    return true;
}
