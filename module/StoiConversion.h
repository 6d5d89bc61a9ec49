#pragma once

#include <string>

// The standard string-to-int rule in base 10: leading white space skipped, an
// optional sign, decimal digits, anything after them ignored. Throws
// std::invalid_argument("invalid stoi argument") when there are no digits and
// std::out_of_range("stoi argument out of range") outside the 32-bit range;
// these are the texts hosts show.
int stoiConversion(const std::string& text);
