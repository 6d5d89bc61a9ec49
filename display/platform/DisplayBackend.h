#pragma once

#include "display/platform/DisplayDevice.h"
#include "display/platform/ModeRecord.h"
#include "display/platform/MonitorClassDevice.h"
#include "display/platform/MonitorDevice.h"
#include "display/platform/MonitorInfo.h"
#include "display/platform/OutputView.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the display module needs of the platform, shaped like the display,
// device-setup and registry services it was designed around. A backend only
// translates its platform into these answers; every decision (which devices
// count, numbering, EDID search, mode ownership) is made above it.
class DisplayBackend
{
public:
    using MonitorHandle = uintptr_t;
    // Returns false to stop the enumeration.
    using MonitorCallback = std::function<bool(MonitorHandle)>;

    // Results of changeDisplaySettings().
    enum ChangeResult : int32_t {
        ChangeSuccessful = 0,
        ChangeRestart = 1,
        ChangeFailed = -1,
        ChangeBadMode = -2,
        ChangeNotUpdated = -3,
        ChangeBadFlags = -4,
        ChangeBadParam = -5,
    };

    // What a backend that hears of display changes made by others reports,
    // as the bits of the hosts' system-event word.
    enum DisplayEvent : uint32_t {
        DisplayAdded = 0x001,
        DisplayRemoved = 0x002,
        DisplayReconfigured = 0x008, // moved, resized, turned or scaled
    };
    using ChangeCallback = std::function<void(uint32_t events)>;

    // Mode index that asks enumDisplaySettings() for the current mode.
    static constexpr int32_t CurrentSettings = -1;

    virtual ~DisplayBackend() = default;

    // Short name of the backend ("sim", "x11", "drm", "none").
    virtual std::string name() const = 0;

    // Calls callback once per monitor of the virtual desktop, in the platform's
    // order, until it returns false. Returns false when the enumeration failed.
    virtual bool enumDisplayMonitors(const MonitorCallback& callback) = 0;
    virtual bool getMonitorInfo(MonitorHandle monitor, MonitorInfo& info) = 0;

    // adapter == nullptr enumerates adapters (outputs); otherwise the devices
    // attached to the adapter of that name. False past the last index.
    virtual bool enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device) = 0;

    // modeIndex CurrentSettings reads the current mode; otherwise the listed
    // mode at that index. False when there is none.
    virtual bool enumDisplaySettings(const std::string& output, int32_t modeIndex,
                                     ModeRecord& mode) = 0;

    // Switches output to mode, or back to its stored settings when mode is
    // null. Returns a ChangeResult.
    virtual int32_t changeDisplaySettings(const std::string& output, const ModeRecord* mode) = 0;

    // Why the last changeDisplaySettings() failed, in the platform's own
    // words where it gave any ("Logical monitors not adjacent"); empty after
    // a success or where the backend keeps nothing.
    virtual std::string lastChangeError() const { return {}; }

    // Present monitor devices of the device database. False when the list
    // cannot be obtained.
    virtual bool presentMonitorDevices(std::vector<MonitorDevice>& devices) = 0;

    // All monitor-class devices, present or not, with their driver versions.
    virtual bool monitorClassDevices(std::vector<MonitorClassDevice>& devices) = 0;

    // The platform's own view of the monitor device monitorDevice (as
    // enumDisplayDevices named it) on output: its connector, place, modes and
    // EDID. Only for hosts; the module never asks. False when the device is
    // unknown or the backend has no such view.
    virtual bool describeDevice(const std::string& output, const std::string& monitorDevice,
                                OutputView& view)
    {
        (void)output;
        (void)monitorDevice;
        (void)view;
        return false;
    }

    // Asks the backend to report display changes made by others as
    // DisplayEvent bits; an empty callback stops the reports. Backends
    // without such notices ignore it.
    //
    // The callback runs on a thread of the backend's own (GNOME's bus
    // watcher, KDE's Wayland listener), one call at a time, and never after
    // setChangeCallback() has returned with another callback: whatever the
    // old one reaches may be destroyed then. It must only record the bits
    // (an atomic or, a queued signal) and must not call into the backend or
    // DisplayPlatform: KDE calls it with its connection locked, so such a
    // call deadlocks.
    virtual void setChangeCallback(ChangeCallback callback) { (void)callback; }
};
