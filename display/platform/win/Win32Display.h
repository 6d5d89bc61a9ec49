#pragma once

#include "display/platform/DisplayDevice.h"
#include "display/platform/ModeRecord.h"
#include "display/platform/MonitorInfo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// USER32's display services, answered in the platform layer's own records:
// the adapters (outputs) and the monitor devices attached to them, the
// monitors of the virtual desktop, the modes of an output and changes to it.
// Names go in and come out as UTF-8; nothing here keeps state.
class Win32Display
{
public:
    // EnumDisplayDevicesW over the adapters, in the system's order.
    static std::vector<DisplayDevice> adapters();
    // The monitor devices attached to the adapter named adapter.
    static std::vector<DisplayDevice> attachedDevices(const std::string& adapter);
    // The SetupAPI instance identifier of the monitor device at index on
    // adapter ("DISPLAY\Default_Monitor\0000&0000"), read from its device
    // interface name; empty when the system gives none.
    static std::string attachedInstanceId(const std::string& adapter, uint32_t index);

    // EnumDisplayMonitors and GetMonitorInfoW over the virtual desktop.
    static std::vector<MonitorInfo> monitors();

    // EnumDisplaySettingsExW: index -1 reads the current mode. nativeId is
    // left 0; flags carry the DEVMODE's dmDisplayFlags.
    static bool mode(const std::string& adapter, int32_t index, ModeRecord& mode);
    // Every listed mode, in the system's order.
    static std::vector<ModeRecord> modes(const std::string& adapter);

    // ChangeDisplaySettingsExW for adapter: to mode, or back to the stored
    // settings when mode is null. test asks only whether the change would
    // work (CDS_TEST). Width, height, depth and rate of mode are given to
    // the system, each only when not 0. Returns the DISP_CHANGE_ result.
    static int32_t change(const std::string& adapter, const ModeRecord* mode, bool test);

    // The "DriverVersion" of the adapter's driver: from the adapter's own
    // registry key, else from the driver key of its display-class device.
    static std::optional<std::string> adapterDriverVersion(const DisplayDevice& adapter);
};
