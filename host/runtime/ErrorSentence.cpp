#include "host/runtime/ErrorSentence.h"

#include <algorithm>
#include <cctype>

std::string ErrorSentence::of(std::string text)
{
    if (!text.empty() && text.back() != '.' && text.back() != '?')
        text += '.';
    const std::string word = text.substr(0, text.find(' '));
    if (!word.empty() && std::all_of(word.begin(), word.end(),
                                     [](unsigned char c) { return std::islower(c) || c == '-'; }))
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}
