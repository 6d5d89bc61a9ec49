#pragma once

#include "display/platform/win/RegistryKey.h"

#include <windows.h>

#include <setupapi.h>

#include <optional>
#include <string>
#include <vector>

// A SetupAPI device information list of one device class, destroyed when the
// owner goes. Devices are visited by index as SetupDiEnumDeviceInfo lists
// them; their texts come back as UTF-8.
class DeviceInfoList
{
public:
    // flags as SetupDiGetClassDevsW takes them (DIGCF_PRESENT, ...).
    DeviceInfoList(const GUID& deviceClass, DWORD flags);
    ~DeviceInfoList();
    DeviceInfoList(const DeviceInfoList&) = delete;
    DeviceInfoList& operator=(const DeviceInfoList&) = delete;

    bool isValid() const { return m_list != INVALID_HANDLE_VALUE; }

    // The device at index; false past the last one.
    bool device(DWORD index, SP_DEVINFO_DATA& device) const;

    std::string instanceId(SP_DEVINFO_DATA& device) const;
    // A REG_SZ or REG_MULTI_SZ property (SPDRP_HARDWAREID, SPDRP_DRIVER, ...),
    // one entry per string; empty when the device has none.
    std::vector<std::string> textProperty(SP_DEVINFO_DATA& device, DWORD property) const;
    // keyType DIREG_DEV (the hardware key) or DIREG_DRV (the driver key).
    RegistryKey openKey(SP_DEVINFO_DATA& device, DWORD keyType) const;

    // The monitor and display adapter setup classes.
    static const GUID& monitorClass();
    static const GUID& displayClass();

private:
    HDEVINFO m_list = INVALID_HANDLE_VALUE;
};
