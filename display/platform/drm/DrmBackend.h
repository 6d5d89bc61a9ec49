#pragma once

#include "display/platform/DisplayBackend.h"
#include "display/platform/sysfs/SysfsReader.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// The displays the kernel drives, for a console or a Wayland session where
// no X server tells about them. Every connected and enabled connector is a
// monitor; the connector is its adapter and its one attached device. Sysfs
// gives presence, EDID and mode names; the device node, when it opens
// read-only, adds refresh rates, the current mode and the monitor's place.
// Changing modes belongs to the compositor, so every change fails.
class DrmBackend : public DisplayBackend
{
public:
    explicit DrmBackend(std::string sysfsRoot = "/sys/class/drm",
                        std::string deviceRoot = "/dev/dri");

    std::string name() const override { return "drm"; }
    bool enumDisplayMonitors(const MonitorCallback& callback) override;
    bool getMonitorInfo(MonitorHandle monitor, MonitorInfo& info) override;
    bool enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device) override;
    bool enumDisplaySettings(const std::string& output, int32_t modeIndex,
                             ModeRecord& mode) override;
    int32_t changeDisplaySettings(const std::string& output, const ModeRecord* mode) override;
    bool presentMonitorDevices(std::vector<MonitorDevice>& devices) override;
    bool monitorClassDevices(std::vector<MonitorClassDevice>& devices) override;
    bool describeDevice(const std::string& output, const std::string& monitorDevice,
                        OutputView& view) override;

    // Number of connectors found, for verbose output.
    size_t connectorCount();

private:
    struct Connector
    {
        SysfsReader::Connector sysfs;
        std::vector<ModeRecord> modes;
        std::vector<OutputMode> listed; // the same modes as the platform view shows them
        std::optional<double> currentHz;
        std::optional<ModeRecord> current;
        std::optional<Rect> placed; // where the kernel scans it out, when known
        Rect rect;
    };

    // Reads sysfs (and the device nodes) again; every enumeration starts here.
    void rescan();
    void readDeviceNode(const std::string& card);
    const Connector* find(const std::string& name) const;
    bool isMonitor(const Connector& connector) const;
    const std::optional<std::string>& driverVersion(const std::string& card);

    std::string m_sysfsRoot;
    std::string m_deviceRoot;
    bool m_scanned = false;
    std::vector<Connector> m_connectors;
    std::map<std::string, std::optional<std::string>> m_driverVersions;
};
