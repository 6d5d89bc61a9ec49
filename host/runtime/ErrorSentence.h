#pragma once

#include <string>

// Turns an error text into the sentence the hosts print: a full stop at the
// end, and a capital first letter when it starts with a word of ours in lower
// case. A file name the user typed ("nope.json: cannot read ...") keeps its
// spelling.
class ErrorSentence
{
public:
    static std::string of(std::string text);
};
