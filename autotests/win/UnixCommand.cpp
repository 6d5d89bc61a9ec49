#include "autotests/win/UnixCommand.h"

#include <windows.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {
// A Unix path as Windows programs under Wine reach it (drive Z: is /).
std::string windowsPath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return "Z:" + path;
}

std::string scratchFolder()
{
    char buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("WIN32_TEST_SCRATCH", buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? buffer : "/tmp";
}
} // namespace

bool UnixCommand::run(const std::string& command, std::string* output, int* status)
{
    static int counter = 0;
    const std::string base = scratchFolder() + "/unix-command-" +
                             std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++counter);
    const std::string done = base + ".done";
    // The script goes in a file so that no quoting has to survive Wine's
    // translation of the command line.
    std::ofstream(windowsPath(base + ".sh"), std::ios::binary)
        << "(" << command << ") >" << base << ".out 2>&1\necho $? >" << base << ".tmp\nmv " << base
        << ".tmp " << done << "\n";
    std::string line = "/bin/sh " + base + ".sh";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (GetFileAttributesA(windowsPath(done).c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::ostringstream text;
    text << std::ifstream(windowsPath(base + ".out")).rdbuf();
    if (output)
        *output = text.str();
    int exitStatus = -1;
    std::ifstream(windowsPath(done)) >> exitStatus;
    if (status)
        *status = exitStatus;
    for (const char* suffix : {".sh", ".out", ".done"})
        DeleteFileA(windowsPath(base + suffix).c_str());
    return true;
}
