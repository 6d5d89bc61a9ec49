#include "display/platform/win/WideText.h"

#include <windows.h>

#include <cwchar>

std::string WideText::toUtf8(const wchar_t* text, size_t length)
{
    if (!text)
        return {};
    size_t size = 0;
    while (size < length && text[size] != L'\0')
        ++size;
    if (size == 0)
        return {};
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(size), result.data(), bytes, nullptr,
                        nullptr);
    return result;
}

std::wstring WideText::fromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    const int characters =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (characters <= 0)
        return {};
    std::wstring result(static_cast<size_t>(characters), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        characters);
    return result;
}
