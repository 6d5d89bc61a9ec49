#pragma once

#include "module/SettingsMap.h"

#include <string>
#include <vector>

// Warnings about settings the module accepts but probably not as meant: a
// CSAT key one or two typing slips away from a time-out key the module reads
// (other modules share the section, so keys further away are theirs), a
// value whose number the module reads only in part, and time-outs of zero or
// below. Nothing here changes what the tests get.
class SettingsAdvice
{
public:
    // timeoutKeys: the CSAT keys the module reads.
    static std::vector<std::string> warnings(const SettingsMap& settings,
                                             const std::vector<std::string>& timeoutKeys);

    // The number of single-character insertions, deletions and substitutions
    // that turn one text into the other.
    static size_t editDistance(const std::string& a, const std::string& b);

    // Reads a value as the module does (leading white space, a sign, decimal
    // digits; the rest ignored). False when there is no number; *whole tells
    // whether the number was all of the text.
    static bool readInteger(const std::string& value, long long* number, bool* whole);
};
