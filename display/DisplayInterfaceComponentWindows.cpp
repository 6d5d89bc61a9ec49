#include "display/DisplayInterfaceComponentWindows.h"

#include "display/DisplayModeWindows.h"
#include "display/Edid.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/MonitorClassDevice.h"
#include "display/platform/MonitorDevice.h"
#include "module/Keys.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
// Sizes of the buffers the device database and registry are read into;
// anything that does not fit is a failed read.
constexpr size_t InstanceIdBufferSize = 260;
constexpr size_t ValueNameBufferSize = 128;
const char* const EdidValueName = "EDID";
} // namespace

DisplayInterfaceComponentWindows::DisplayInterfaceComponentWindows(
    const std::string& id, DisplayBackend::MonitorHandle monitor, const MonitorInfo& info,
    const DisplayDevice& device)
    : DisplayInterfaceComponent(id), m_monitor(monitor), m_monitorInfo(info), m_device(device)
{}

DisplayInterfaceComponentWindows::~DisplayInterfaceComponentWindows()
{
    delete m_currentMode;
    delete m_edid;
    deleteModes();
}

void DisplayInterfaceComponentWindows::deleteModes()
{
    for (DisplayMode* mode : m_modes)
        delete mode;
    m_modes.clear();
}

int32_t DisplayInterfaceComponentWindows::currentMode(DisplayMode*& mode)
{
    ModeRecord record;
    if (!DisplayPlatform::backend().enumDisplaySettings(m_monitorInfo.device,
                                                        DisplayBackend::CurrentSettings, record))
        return 1;
    auto* current = new DisplayModeWindows(m_monitorInfo, record);
    mode = current;
    delete m_currentMode;
    m_currentMode = current;
    return 0;
}

int32_t DisplayInterfaceComponentWindows::modes(std::vector<DisplayMode*>& modes)
{
    deleteModes();
    modes.clear();
    DisplayBackend& backend = DisplayPlatform::backend();
    // Indices are the platform's signed mode numbers; -1 would mean the
    // current mode, so the walk ends before the index could wrap to it.
    for (int32_t index = 0;; ++index) {
        ModeRecord record;
        if (!backend.enumDisplaySettings(m_monitorInfo.device, index, record))
            break;
        auto* mode = new DisplayModeWindows(m_monitorInfo, record);
        m_modes.push_back(mode);
        modes.push_back(mode);
        if (index == std::numeric_limits<int32_t>::max())
            break;
    }
    return modes.empty() ? 1 : 0;
}

bool DisplayInterfaceComponentWindows::restoreDisplaySettings()
{
    return DisplayPlatform::backend().changeDisplaySettings(m_monitorInfo.device, nullptr) !=
           DisplayBackend::ChangeSuccessful;
}

std::string DisplayInterfaceComponentWindows::modelCodeOf(const std::string& deviceId)
{
    // The identifier is a C string on the platform: nothing after a NUL counts.
    const std::string text(deviceId.c_str());
    const size_t first = text.find('\\');
    if (first == std::string::npos || first + 1 >= text.size())
        return "err";
    const size_t second = text.find('\\', first + 1);
    if (second == std::string::npos)
        return "err";
    return text.substr(first + 1, second - first - 1);
}

int32_t DisplayInterfaceComponentWindows::readEdid(Edid*& edid)
{
    const std::string modelCode = modelCodeOf(m_device.deviceId);
    if (modelCode == "err")
        return 1;
    // Cleared once before the search, so a value shorter than a block reads
    // as zeros past its end.
    EdidBuffer buffer{};
    if (!searchEdid(modelCode, buffer))
        return 1;
    m_hardwareIdText = "MONITOR\\" + modelCode;
    auto* decoded = new Edid(buffer.data());
    delete m_edid;
    m_edid = decoded;
    edid = decoded;
    return 0;
}

bool DisplayInterfaceComponentWindows::searchEdid(const std::string& modelCode,
                                                  EdidBuffer& buffer) const
{
    std::vector<MonitorDevice> devices;
    if (!DisplayPlatform::backend().presentMonitorDevices(devices))
        return false;
    // Every matching device is read: the last one whose key opens decides,
    // so a later match without an "EDID" value turns a success into a failure.
    bool found = false;
    for (const MonitorDevice& device : devices) {
        if (device.instanceId.size() >= InstanceIdBufferSize)
            continue;
        if (std::strstr(device.instanceId.c_str(), modelCode.c_str()) == nullptr)
            continue;
        if (!device.keyOpens)
            continue;
        found = readEdidValue(device, buffer);
    }
    return found;
}

bool DisplayInterfaceComponentWindows::readEdidValue(const MonitorDevice& device,
                                                     EdidBuffer& buffer)
{
    // Like enumerating a registry key's values: every value that fits is
    // read into the same buffer, one that does not fit is skipped, and the
    // read ends at the value named "EDID" or when the values run out.
    for (const RegistryValue& value : device.hardwareKeyValues) {
        if (value.name.size() >= ValueNameBufferSize || value.data.size() > buffer.size())
            continue;
        std::copy(value.data.begin(), value.data.end(), buffer.begin());
        if (std::strcmp(value.name.c_str(), EdidValueName) == 0)
            return true;
    }
    return false;
}

bool DisplayInterfaceComponentWindows::lookUpDriverVersion()
{
    std::vector<MonitorClassDevice> devices;
    if (!DisplayPlatform::backend().monitorClassDevices(devices))
        return false;
    for (const MonitorClassDevice& device : devices) {
        if (std::strcmp(device.hardwareId.c_str(), m_hardwareIdText.c_str()) != 0)
            continue;
        if (device.driverVersion) {
            m_hardwareIdText = *device.driverVersion;
            return true;
        }
    }
    return false;
}

void DisplayInterfaceComponentWindows::collectProperties()
{
    DisplayInterfaceComponent::collectProperties();
    // The version replaces the hardware identifier text; the next readEdid
    // restores it.
    if (lookUpDriverVersion())
        m_info.properties.push_back({Keys::DRIVER_VERSION, m_hardwareIdText});
}
