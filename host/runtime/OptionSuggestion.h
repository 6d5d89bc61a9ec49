#pragma once

#include <optional>
#include <string>
#include <vector>

// The option a person most likely meant by one the host does not know: the
// closest by typing slips, ignoring a value after "=". None when every
// option is too far off to be a slip.
class OptionSuggestion
{
public:
    static std::optional<std::string> closest(const std::string& typed,
                                              const std::vector<std::string>& options);
};
