#include "host/cli/ConsoleInterrupt.h"

#include <windows.h>

#include <atomic>
#include <csignal>

namespace {
std::atomic<void (*)(int)> installed{nullptr};

// Runs on a thread the system makes for the event; TRUE keeps the process
// alive, as SIGINT's handler does.
BOOL WINAPI onControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (void (*handler)(int) = installed.load())
        handler(SIGINT);
    return TRUE;
}
} // namespace

void ConsoleInterrupt::install(void (*handler)(int))
{
    installed = handler;
    SetConsoleCtrlHandler(onControl, TRUE);
}
