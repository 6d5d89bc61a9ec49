#include "display/platform/win/DeviceInfoList.h"

#include "display/platform/win/WideText.h"

DeviceInfoList::DeviceInfoList(const GUID& deviceClass, DWORD flags)
    : m_list(SetupDiGetClassDevsW(&deviceClass, nullptr, nullptr, flags))
{}

DeviceInfoList::~DeviceInfoList()
{
    if (isValid())
        SetupDiDestroyDeviceInfoList(m_list);
}

bool DeviceInfoList::device(DWORD index, SP_DEVINFO_DATA& device) const
{
    device = {};
    device.cbSize = sizeof(device);
    return isValid() && SetupDiEnumDeviceInfo(m_list, index, &device);
}

std::string DeviceInfoList::instanceId(SP_DEVINFO_DATA& device) const
{
    DWORD size = 0;
    SetupDiGetDeviceInstanceIdW(m_list, &device, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::wstring id(size, L'\0');
    if (!SetupDiGetDeviceInstanceIdW(m_list, &device, id.data(), size, nullptr))
        return {};
    return WideText::toUtf8(id.c_str(), id.size());
}

std::vector<std::string> DeviceInfoList::textProperty(SP_DEVINFO_DATA& device, DWORD property) const
{
    DWORD type = 0;
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(m_list, &device, property, &type, nullptr, 0, &size);
    if (size == 0 || (type != REG_SZ && type != REG_MULTI_SZ))
        return {};
    // Whole wide characters and a NUL after the last string, whatever the
    // driver wrote.
    std::wstring data(size / sizeof(wchar_t) + 2, L'\0');
    if (!SetupDiGetDeviceRegistryPropertyW(m_list, &device, property, &type,
                                           reinterpret_cast<BYTE*>(data.data()), size, nullptr))
        return {};
    std::vector<std::string> strings;
    const wchar_t* at = data.c_str();
    const wchar_t* end = at + size / sizeof(wchar_t);
    while (at < end && *at) {
        const std::wstring entry(at);
        strings.push_back(WideText::toUtf8(entry));
        at += entry.size() + 1;
        if (type == REG_SZ)
            break;
    }
    return strings;
}

RegistryKey DeviceInfoList::openKey(SP_DEVINFO_DATA& device, DWORD keyType) const
{
    return RegistryKey(
        SetupDiOpenDevRegKey(m_list, &device, DICS_FLAG_GLOBAL, 0, keyType, KEY_READ));
}

const GUID& DeviceInfoList::monitorClass()
{
    // {4D36E96E-E325-11CE-BFC1-08002BE10318}
    static const GUID monitor = {
        0x4d36e96e, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    return monitor;
}

const GUID& DeviceInfoList::displayClass()
{
    // {4D36E968-E325-11CE-BFC1-08002BE10318}
    static const GUID display = {
        0x4d36e968, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    return display;
}
