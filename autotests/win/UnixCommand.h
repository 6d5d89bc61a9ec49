#pragma once

#include <string>

// Runs a command of the Linux machine Wine runs on (xrandr, to read the X
// server back) from inside a Windows test. Wine starts Unix programs but
// hands them neither a Windows pipe nor their exit status, so the command
// writes both to a scratch file that the test waits for.
class UnixCommand
{
public:
    // sh -c command; false when it did not finish within 20 s. output gets
    // stdout and stderr, status the exit status.
    static bool run(const std::string& command, std::string* output = nullptr,
                    int* status = nullptr);
};
