#pragma once

#include "display/platform/DisplayBackend.h"
#include "display/platform/kde/KdeOutputDevice.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KdeCompositor;

// The displays of a KDE Plasma Wayland session, through KWin's output
// protocols. Every enabled output device is a monitor named after its
// connector, with the output as its adapter and its one attached device; a
// disabled output is an adapter without a monitor. Under a transform of 90
// or 270 degrees the modes are listed turned; the rectangle is the position
// with the turned current mode's size divided by the output's scale, the
// coordinates Qt's Wayland screens use. EDIDs come from the compositor, or
// from sysfs by connector name when it sends none.
class KdeBackend : public DisplayBackend
{
public:
    // Connects to the socket named socket (null: $WAYLAND_DISPLAY). Null with
    // *error set when no compositor there offers KWin's output devices.
    static std::unique_ptr<KdeBackend> open(const char* socket, std::string* error,
                                            std::string sysfsRoot = "/sys/class/drm",
                                            std::string deviceRoot = "/dev/dri");
    ~KdeBackend() override;

    std::string name() const override { return "kde"; }
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
    void setChangeCallback(ChangeCallback callback) override;

    // What the connection found, for verbose output.
    std::string description() const;

private:
    KdeBackend(std::unique_ptr<KdeCompositor> compositor, std::string sysfsRoot,
               std::string deviceRoot);

    // Reads the outputs again; every enumeration starts here.
    void rescan();
    const KdeOutputDevice::State* find(const std::string& name) const;
    bool isPrimary(const KdeOutputDevice::State& output) const;
    // Reads the connectors' EDIDs and cards from sysfs, for outputs whose
    // EDID the compositor does not send.
    void readSysfs();
    std::vector<uint8_t> edidOf(const KdeOutputDevice::State& output) const;

    std::unique_ptr<KdeCompositor> m_compositor;
    std::string m_sysfsRoot;
    std::string m_deviceRoot;
    bool m_scanned = false;
    std::vector<KdeOutputDevice::State> m_outputs;
    std::vector<std::string> m_order;
    std::map<std::string, std::vector<uint8_t>> m_sysfsEdids;           // by connector name
    std::map<std::string, std::string> m_cards;                         // connector -> "card0"
    std::map<std::string, std::optional<std::string>> m_driverVersions; // by card
};
