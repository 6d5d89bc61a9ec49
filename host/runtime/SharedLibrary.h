#pragma once

#include <string>

// Loading a shared library and finding its symbols, with the system's own
// calls: dlopen on POSIX systems (SharedLibraryPosix.cpp), LoadLibraryW on
// Windows (SharedLibraryWindows.cpp).
class SharedLibrary
{
public:
    // The library's handle, or null with *reason saying why.
    static void* open(const std::string& path, std::string* reason);
    static void* symbol(void* handle, const char* name);
    static void close(void* handle);
    static bool exists(const std::string& path);
    // The folder of the running program, with '/' between folders.
    static std::string executableDirectory();
};
