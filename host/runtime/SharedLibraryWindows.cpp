#include "host/runtime/SharedLibrary.h"

#include <windows.h>

#include <algorithm>

namespace {
std::wstring wide(const std::string& text)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(size > 0 ? size_t(size) : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), size);
    result.resize(result.size() - 1);
    return result;
}

std::string utf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size_t(size) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.resize(result.size() - 1);
    return result;
}
} // namespace

void* SharedLibrary::open(const std::string& path, std::string* reason)
{
    // The module's own dependencies are looked up beside it first.
    HMODULE module =
        LoadLibraryExW(wide(path).c_str(), nullptr,
                       LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (!module && reason) {
        wchar_t* text = nullptr;
        const DWORD error = GetLastError();
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        *reason = text ? utf8(text) : "error " + std::to_string(error);
        while (!reason->empty() && (reason->back() == '\n' || reason->back() == '\r'))
            reason->pop_back();
        LocalFree(text);
    }
    return reinterpret_cast<void*>(module);
}

void* SharedLibrary::symbol(void* handle, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void SharedLibrary::close(void* handle)
{
    FreeLibrary(static_cast<HMODULE>(handle));
}

bool SharedLibrary::exists(const std::string& path)
{
    return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SharedLibrary::executableDirectory()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return ".";
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    std::string path = utf8(buffer.c_str());
    std::replace(path.begin(), path.end(), '\\', '/');
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}
