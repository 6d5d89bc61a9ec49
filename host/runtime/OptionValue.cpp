#include "host/runtime/OptionValue.h"

bool OptionValue::take(const std::vector<std::string>& arguments, size_t& index,
                       const std::string& name, std::string* value, bool* missing)
{
    const std::string& argument = arguments[index];
    if (argument == name) {
        if (index + 1 >= arguments.size() || arguments[index + 1].rfind("--", 0) == 0) {
            *missing = true;
            return true;
        }
        *value = arguments[++index];
        return true;
    }
    if (argument.rfind(name + "=", 0) == 0) {
        *value = argument.substr(name.size() + 1);
        return true;
    }
    return false;
}
