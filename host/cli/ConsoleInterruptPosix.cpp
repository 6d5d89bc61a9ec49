#include "host/cli/ConsoleInterrupt.h"

#include <csignal>

void ConsoleInterrupt::install(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}
