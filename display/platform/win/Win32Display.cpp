#include "display/platform/win/Win32Display.h"

#include "display/platform/win/DeviceInfoList.h"
#include "display/platform/win/RegistryKey.h"
#include "display/platform/win/WideText.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <iterator>

namespace {
template <size_t N> std::string text(const wchar_t (&field)[N])
{
    return WideText::toUtf8(field, N);
}

DisplayDevice translated(const DISPLAY_DEVICEW& device)
{
    DisplayDevice result;
    result.deviceName = text(device.DeviceName);
    result.deviceString = text(device.DeviceString);
    result.stateFlags = device.StateFlags;
    result.deviceId = text(device.DeviceID);
    result.deviceKey = text(device.DeviceKey);
    return result;
}

bool enumDevice(const std::wstring* adapter, DWORD index, DWORD flags, DISPLAY_DEVICEW& device)
{
    device = {};
    device.cb = sizeof(device);
    return EnumDisplayDevicesW(adapter ? adapter->c_str() : nullptr, index, &device, flags);
}

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    auto* monitors = reinterpret_cast<std::vector<MonitorInfo>*>(data);
    MONITORINFOEXW info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info))
        return TRUE;
    MonitorInfo result;
    result.rcMonitor = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                        info.rcMonitor.bottom};
    result.rcWork = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    result.flags = (info.dwFlags & MONITORINFOF_PRIMARY) ? MonitorInfo::PrimaryMonitor : 0;
    result.device = text(info.szDevice);
    monitors->push_back(result);
    return TRUE;
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    });
    return text;
}
} // namespace

std::vector<DisplayDevice> Win32Display::adapters()
{
    std::vector<DisplayDevice> adapters;
    DISPLAY_DEVICEW device;
    for (DWORD index = 0; enumDevice(nullptr, index, 0, device); ++index)
        adapters.push_back(translated(device));
    return adapters;
}

std::vector<DisplayDevice> Win32Display::attachedDevices(const std::string& adapter)
{
    const std::wstring name = WideText::fromUtf8(adapter);
    std::vector<DisplayDevice> devices;
    DISPLAY_DEVICEW device;
    for (DWORD index = 0; enumDevice(&name, index, 0, device); ++index)
        devices.push_back(translated(device));
    return devices;
}

std::string Win32Display::attachedInstanceId(const std::string& adapter, uint32_t index)
{
    const std::wstring name = WideText::fromUtf8(adapter);
    DISPLAY_DEVICEW device;
    if (!enumDevice(&name, index, EDD_GET_DEVICE_INTERFACE_NAME, device))
        return {};
    // "\\?\DISPLAY#Default_Monitor#0000&0000#{e6f07b5f-...}": the instance
    // identifier with '#' for '\', between the prefix and the interface class.
    std::string path = text(device.DeviceID);
    const std::string prefix = "\\\\?\\";
    if (path.compare(0, prefix.size(), prefix) != 0)
        return {};
    path.erase(0, prefix.size());
    const size_t classStart = path.rfind("#{");
    if (classStart == std::string::npos)
        return {};
    path.erase(classStart);
    std::replace(path.begin(), path.end(), '#', '\\');
    return path;
}

std::vector<MonitorInfo> Win32Display::monitors()
{
    std::vector<MonitorInfo> monitors;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

bool Win32Display::mode(const std::string& adapter, int32_t index, ModeRecord& mode)
{
    const std::wstring name = WideText::fromUtf8(adapter);
    DEVMODEW settings = {};
    settings.dmSize = sizeof(settings);
    const DWORD modeNumber = index < 0 ? ENUM_CURRENT_SETTINGS : static_cast<DWORD>(index);
    if (!EnumDisplaySettingsExW(name.c_str(), modeNumber, &settings, 0))
        return false;
    mode = ModeRecord();
    mode.width = settings.dmPelsWidth;
    mode.height = settings.dmPelsHeight;
    mode.bitsPerPixel = settings.dmBitsPerPel;
    mode.frequency = settings.dmDisplayFrequency;
    mode.flags = settings.dmDisplayFlags;
    return true;
}

std::vector<ModeRecord> Win32Display::modes(const std::string& adapter)
{
    std::vector<ModeRecord> modes;
    ModeRecord record;
    for (int32_t index = 0; mode(adapter, index, record); ++index)
        modes.push_back(record);
    return modes;
}

int32_t Win32Display::change(const std::string& adapter, const ModeRecord* mode, bool test)
{
    const std::wstring name = WideText::fromUtf8(adapter);
    const DWORD flags = test ? CDS_TEST : 0;
    if (!mode)
        return ChangeDisplaySettingsExW(name.c_str(), nullptr, nullptr, flags, nullptr);
    DEVMODEW settings = {};
    settings.dmSize = sizeof(settings);
    const auto give = [&settings](DWORD field, DWORD value, DWORD& into) {
        if (value) {
            into = value;
            settings.dmFields |= field;
        }
    };
    give(DM_PELSWIDTH, mode->width, settings.dmPelsWidth);
    give(DM_PELSHEIGHT, mode->height, settings.dmPelsHeight);
    give(DM_BITSPERPEL, mode->bitsPerPixel, settings.dmBitsPerPel);
    give(DM_DISPLAYFREQUENCY, mode->frequency, settings.dmDisplayFrequency);
    return ChangeDisplaySettingsExW(name.c_str(), &settings, nullptr, flags, nullptr);
}

std::optional<std::string> Win32Display::adapterDriverVersion(const DisplayDevice& adapter)
{
    const RegistryKey own = RegistryKey::openKernelPath(WideText::fromUtf8(adapter.deviceKey));
    if (std::optional<std::string> version = own.text(L"DriverVersion"))
        return version;

    // The adapter's DeviceID is the hardware identifier at the start of its
    // display-class device's instance identifier.
    if (adapter.deviceId.empty())
        return std::nullopt;
    const std::string hardware = upper(adapter.deviceId);
    const DeviceInfoList displays(DeviceInfoList::displayClass(), DIGCF_PRESENT);
    SP_DEVINFO_DATA device;
    for (DWORD index = 0; displays.device(index, device); ++index) {
        const std::string instance = upper(displays.instanceId(device));
        if (instance.compare(0, hardware.size(), hardware) != 0)
            continue;
        if (std::optional<std::string> version =
                displays.openKey(device, DIREG_DRV).text(L"DriverVersion"))
            return version;
    }
    return std::nullopt;
}
