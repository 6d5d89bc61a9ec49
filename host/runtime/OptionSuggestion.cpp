#include "host/runtime/OptionSuggestion.h"

#include "host/runtime/SettingsAdvice.h"

#include <algorithm>

std::optional<std::string> OptionSuggestion::closest(const std::string& typed,
                                                     const std::vector<std::string>& options)
{
    const std::string name = typed.substr(0, typed.find('='));
    std::optional<std::string> nearest;
    // Longer names allow more slips, but never as many as a short name has letters.
    size_t best = std::max<size_t>(3, name.size() / 3 + 1);
    for (const std::string& option : options) {
        const size_t distance = SettingsAdvice::editDistance(name, option);
        if (distance < best) {
            best = distance;
            nearest = option;
        }
    }
    return nearest;
}
