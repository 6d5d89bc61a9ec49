#include "autotests/win/WineDesk.h"

#include "autotests/win/UnixCommand.h"

#include <windows.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace {
std::string environment(const char* name)
{
    char buffer[4096] = {};
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? buffer : "";
}
} // namespace

std::string WineDesk::server()
{
    return environment("WIN32_TEST_SERVER");
}

bool WineDesk::onServer(const std::string& name)
{
    return server() == name;
}

std::vector<uint8_t> WineDesk::sampleEdid(const std::string& source)
{
    std::string path = environment("EDID_SAMPLES");
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::ifstream samples("Z:" + path);
    const std::string key = "\"source\":\"" + source + "\"";
    std::string line;
    while (std::getline(samples, line)) {
        if (line.find(key) == std::string::npos)
            continue;
        const std::string field = "\"full_hex\":\"";
        const size_t start = line.find(field);
        if (start == std::string::npos)
            return {};
        const size_t begin = start + field.size();
        const std::string hex = line.substr(begin, line.find('"', begin) - begin);
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        return bytes;
    }
    return {};
}

std::string WineDesk::edidSourceOf(const std::string& output)
{
    return environment(("WIN32_TEST_EDID_" + output).c_str());
}

std::map<std::string, std::string> WineDesk::xrandrGeometries()
{
    std::string text;
    UnixCommand::run("xrandr --current", &text);
    std::map<std::string, std::string> geometries;
    const std::regex output(
        R"(^(\S+) (?:connected|disconnected)(?: primary)? (\d+x\d+\+\d+\+\d+))");
    std::istringstream lines(text);
    std::string line;
    std::smatch match;
    while (std::getline(lines, line))
        if (std::regex_search(line, match, output))
            geometries[match[1]] = match[2];
    return geometries;
}

std::vector<std::string> WineDesk::xrandrResolutions(const std::string& output)
{
    std::string text;
    UnixCommand::run("xrandr --current", &text);
    std::vector<std::string> resolutions;
    std::istringstream lines(text);
    std::string line;
    bool inside = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] != ' ') {
            inside = line.compare(0, output.size() + 1, output + " ") == 0;
            continue;
        }
        std::istringstream words(line);
        std::string resolution;
        if (inside && words >> resolution)
            resolutions.push_back(resolution);
    }
    return resolutions;
}

bool WineDesk::xrandr(const std::string& arguments)
{
    int status = -1;
    return UnixCommand::run("xrandr " + arguments, nullptr, &status) && status == 0;
}

bool WineDesk::waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}
