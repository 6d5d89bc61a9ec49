#pragma once

// Ctrl+C at the console: a signal handler for SIGINT on POSIX systems
// (ConsoleInterruptPosix.cpp), a console control handler on Windows
// (ConsoleInterruptWindows.cpp). The handler may only do what a signal
// handler may.
class ConsoleInterrupt
{
public:
    static void install(void (*handler)(int));
};
