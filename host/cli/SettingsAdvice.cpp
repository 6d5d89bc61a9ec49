#include "host/cli/SettingsAdvice.h"

#include <algorithm>
#include <cctype>

size_t SettingsAdvice::editDistance(const std::string& a, const std::string& b)
{
    std::vector<size_t> previous(b.size() + 1);
    std::vector<size_t> current(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

bool SettingsAdvice::readInteger(const std::string& value, long long* number, bool* whole)
{
    size_t i = 0;
    while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i])))
        ++i;
    const bool negative = i < value.size() && value[i] == '-';
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        ++i;
    const size_t digits = i;
    long long read = 0;
    for (; i < value.size() && std::isdigit(static_cast<unsigned char>(value[i])); ++i)
        read = std::min(read * 10 + (value[i] - '0'),
                        1LL << 40); // a cap against overflow: the module refuses such numbers
    if (i == digits)
        return false;
    *number = negative ? -read : read;
    *whole = i == value.size();
    return true;
}

std::vector<std::string> SettingsAdvice::warnings(const SettingsMap& settings,
                                                  const std::vector<std::string>& timeoutKeys)
{
    std::vector<std::string> lines;
    const auto section = settings.find("CSAT");
    if (section == settings.end())
        return lines;
    for (const auto& [key, value] : section->second) {
        const std::string name = "CSAT." + key + "=\"" + value + "\"";
        if (std::find(timeoutKeys.begin(), timeoutKeys.end(), key) == timeoutKeys.end()) {
            // The closest key names the likely meaning.
            const std::string* nearest = nullptr;
            size_t best = 3;
            for (const std::string& known : timeoutKeys) {
                const size_t distance = editDistance(key, known);
                if (distance < best) {
                    best = distance;
                    nearest = &known;
                }
            }
            if (nearest)
                lines.push_back("the setting CSAT." + key +
                                " is not read by the display module; did you mean CSAT." +
                                *nearest + "?");
            continue;
        }
        long long number = 0;
        bool whole = false;
        if (!readInteger(value, &number, &whole))
            continue; // the module refuses it, which is an error of its own
        if (!whole)
            lines.push_back("the setting " + name + " is read as " + std::to_string(number));
        if (number == 0)
            lines.push_back("the setting " + name +
                            " is a time-out of 0 seconds: the test windows end at once");
        else if (number < 0)
            lines.push_back("the setting " + name +
                            " is a negative time-out: the test windows have no time-out and stay "
                            "until Escape is pressed");
    }
    return lines;
}
