#pragma once

#include <string>
#include <vector>

// Reads the value of a host option given as "--name=value" or "--name value".
class OptionValue
{
public:
    // True when arguments[index] is the option name; index then moves past a
    // value given as the next argument. A following "--option" is a missing
    // value ("--settings --json" names no file called --json): *missing is
    // set instead.
    static bool take(const std::vector<std::string>& arguments, size_t& index,
                     const std::string& name, std::string* value, bool* missing);
};
