#pragma once

#include <cstdint>
#include <string>

// Command-line names of one diagnostic or test.
struct CommandLineEntry
{
    std::string shortName;
    std::string longName;
    uint32_t kind = 0;
};
