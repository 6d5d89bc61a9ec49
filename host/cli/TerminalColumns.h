#pragma once

#include <cstdio>

// How many columns the terminal behind a stream shows: TIOCGWINSZ on POSIX
// systems (TerminalColumnsPosix.cpp), the console's window on Windows
// (TerminalColumnsWindows.cpp); 80 when it is no terminal.
class TerminalColumns
{
public:
    static int of(std::FILE* stream);
};
