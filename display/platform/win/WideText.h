#pragma once

#include <string>

// Conversions between Windows' UTF-16 texts and the UTF-8 texts the rest of
// the platform layer uses. Win32 answers are converted once, where they are
// read; nothing above this folder sees a wide string.
class WideText
{
public:
    // text up to its first NUL, or the first length characters when that
    // comes first (Win32 records hold fixed-size arrays).
    static std::string toUtf8(const wchar_t* text, size_t length = std::wstring::npos);
    static std::string toUtf8(const std::wstring& text)
    {
        return toUtf8(text.c_str(), text.size());
    }
    static std::wstring fromUtf8(const std::string& text);
};
