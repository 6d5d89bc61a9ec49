#include "display/platform/win/PresentMonitors.h"

#include "display/platform/win/DeviceInfoList.h"

#include <algorithm>

std::optional<std::vector<PresentMonitors::Device>> PresentMonitors::read()
{
    const DeviceInfoList list(DeviceInfoList::monitorClass(), DIGCF_PRESENT);
    if (!list.isValid())
        return std::nullopt;
    std::vector<Device> devices;
    SP_DEVINFO_DATA data;
    for (DWORD index = 0; list.device(index, data); ++index) {
        Device device;
        device.instanceId = list.instanceId(data);
        const std::vector<std::string> hardwareIds = list.textProperty(data, SPDRP_HARDWAREID);
        if (!hardwareIds.empty())
            device.hardwareId = hardwareIds.front();
        const RegistryKey key = list.openKey(data, DIREG_DEV);
        device.keyOpens = key.isOpen();
        device.edid = key.bytes(L"EDID");
        devices.push_back(std::move(device));
    }
    return devices;
}

const PresentMonitors::Device* PresentMonitors::find(const std::vector<Device>& devices,
                                                     const std::string& instanceId)
{
    const auto sameText = [](const std::string& a, const std::string& b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
                   const auto lower = [](unsigned char c) {
                       return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
                   };
                   return lower(x) == lower(y);
               });
    };
    for (const Device& device : devices)
        if (sameText(device.instanceId, instanceId))
            return &device;
    return nullptr;
}
