#include "display/platform/win/RegistryKey.h"

#include "display/platform/win/WideText.h"

#include <cwctype>
#include <utility>

RegistryKey::RegistryKey(HKEY key)
    : m_key(key == reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE) ? nullptr : key)
{}

RegistryKey::~RegistryKey()
{
    if (m_key)
        RegCloseKey(m_key);
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : m_key(std::exchange(other.m_key, nullptr))
{}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept
{
    if (this != &other) {
        if (m_key)
            RegCloseKey(m_key);
        m_key = std::exchange(other.m_key, nullptr);
    }
    return *this;
}

RegistryKey RegistryKey::open(HKEY root, const std::wstring& path, REGSAM access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS)
        return RegistryKey();
    return RegistryKey(key);
}

RegistryKey RegistryKey::openKernelPath(const std::wstring& path, REGSAM access)
{
    static const std::wstring machine = L"\\registry\\machine\\";
    if (path.size() <= machine.size())
        return RegistryKey();
    for (size_t i = 0; i < machine.size(); ++i)
        if (std::towlower(path[i]) != machine[i])
            return RegistryKey();
    return open(HKEY_LOCAL_MACHINE, path.substr(machine.size()), access);
}

std::optional<std::vector<uint8_t>> RegistryKey::read(const wchar_t* name, DWORD* type) const
{
    if (!m_key)
        return std::nullopt;
    // The value may grow between the two calls; ask again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExW(m_key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::vector<uint8_t> data(size);
        const LONG status = RegQueryValueExW(m_key, name, nullptr, type,
                                             data.empty() ? nullptr : data.data(), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        data.resize(size);
        return data;
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> RegistryKey::bytes(const wchar_t* name) const
{
    DWORD type = 0;
    return read(name, &type);
}

std::optional<std::string> RegistryKey::text(const wchar_t* name) const
{
    DWORD type = 0;
    const std::optional<std::vector<uint8_t>> data = read(name, &type);
    if (!data || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    // Stored strings need not end in NUL; toUtf8 stops at the first one or
    // at the value's end.
    return WideText::toUtf8(reinterpret_cast<const wchar_t*>(data->data()),
                            data->size() / sizeof(wchar_t));
}
