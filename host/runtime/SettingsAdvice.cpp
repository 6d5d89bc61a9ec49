#include "host/runtime/SettingsAdvice.h"

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

namespace {
const char* const Section = "CSAT";
// Every time-out key of a display test starts so; a key with this start is
// meant for this module even when it is far from every key it reads.
const char* const DisplayTimeoutStart = "CSAT_TEST_TIMEOUT_DISPLAY";

std::string upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The time-out key the user probably meant, or null: one or two typing
// slips away in any case, or any key of the display tests' own form.
const std::string* meantKey(const std::string& key, const std::vector<std::string>& timeoutKeys)
{
    const std::string typed = upper(key);
    const bool ours = typed.rfind(DisplayTimeoutStart, 0) == 0;
    const std::string* nearest = nullptr;
    size_t best = ours ? std::string::npos : 3;
    for (const std::string& known : timeoutKeys) {
        const size_t distance = SettingsAdvice::editDistance(typed, known);
        if (distance < best) {
            best = distance;
            nearest = &known;
        }
    }
    return nearest;
}
} // namespace

std::vector<std::string> SettingsAdvice::warnings(const SettingsMap& settings,
                                                  const std::vector<std::string>& timeoutKeys)
{
    std::vector<std::string> lines;
    // A section that looks like CSAT but is not, holding time-out keys.
    for (const auto& [name, keys] : settings) {
        if (name == Section || editDistance(upper(name), Section) > 2)
            continue;
        for (const auto& entry : keys) {
            if (const std::string* meant = meantKey(entry.first, timeoutKeys)) {
                lines.push_back("the section [" + name +
                                "] is not read by the display module; did you mean [" + Section +
                                "] (for " + *meant + ")?");
                break;
            }
        }
    }
    const auto section = settings.find(Section);
    if (section == settings.end())
        return lines;
    for (const auto& [key, value] : section->second) {
        const std::string name = "CSAT." + key + "=\"" + value + "\"";
        if (std::find(timeoutKeys.begin(), timeoutKeys.end(), key) == timeoutKeys.end()) {
            const std::string* meant = meantKey(key, timeoutKeys);
            if (meant && upper(key) == *meant)
                lines.push_back("the setting CSAT." + key +
                                " is not read by the display module, which matches keys exactly; "
                                "did you mean CSAT." +
                                *meant + "?");
            else if (meant)
                lines.push_back("the setting CSAT." + key +
                                " is not read by the display module; did you mean CSAT." + *meant +
                                "?");
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
