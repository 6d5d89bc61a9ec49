#include "module/StoiConversion.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <stdexcept>

int stoiConversion(const std::string& text)
{
    size_t pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos])))
        throw std::invalid_argument("invalid stoi argument");

    // Accumulate the magnitude with room for INT_MIN; stop counting once past it.
    const int64_t limit = negative ? -int64_t(std::numeric_limits<int>::min())
                                   : int64_t(std::numeric_limits<int>::max());
    int64_t magnitude = 0;
    bool overflow = false;
    for (; pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])); ++pos) {
        if (!overflow) {
            magnitude = magnitude * 10 + (text[pos] - '0');
            overflow = magnitude > limit;
        }
    }
    if (overflow)
        throw std::out_of_range("stoi argument out of range");
    return static_cast<int>(negative ? -magnitude : magnitude);
}
