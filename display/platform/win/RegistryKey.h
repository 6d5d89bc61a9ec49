#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// An open registry key, closed when the owner goes. Values are read with
// their size asked first, so no value is ever cut short.
class RegistryKey
{
public:
    RegistryKey() = default;
    // Takes ownership of key; INVALID_HANDLE_VALUE and null give a closed key.
    explicit RegistryKey(HKEY key);
    ~RegistryKey();
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    static RegistryKey open(HKEY root, const std::wstring& path, REGSAM access = KEY_READ);
    // Opens a key named the way display devices name theirs
    // ("\Registry\Machine\System\..."); only HKEY_LOCAL_MACHINE paths open.
    static RegistryKey openKernelPath(const std::wstring& path, REGSAM access = KEY_READ);

    bool isOpen() const { return m_key != nullptr; }
    HKEY handle() const { return m_key; }

    // The value's bytes, whatever its type; absent when there is no such value.
    std::optional<std::vector<uint8_t>> bytes(const wchar_t* name) const;
    // A REG_SZ or REG_EXPAND_SZ value as UTF-8; absent when missing or of another type.
    std::optional<std::string> text(const wchar_t* name) const;

private:
    std::optional<std::vector<uint8_t>> read(const wchar_t* name, DWORD* type) const;

    HKEY m_key = nullptr;
};
