#pragma once

#include "display/platform/DisplayBackend.h"
#include "display/platform/gnome/DisplayConfigClient.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class DisplayConfigWatcher;

// The displays of a GNOME Wayland session, through the compositor's display
// configuration service on the session bus. Every region of the desktop (a
// logical monitor) is a monitor named after the first of its connectors in
// the service's order; each connected monitor is an adapter, and the
// monitors showing the same region are the devices attached to it (clones).
// EDIDs and driver versions come from sysfs. Mode switches are temporary
// configurations; restoring goes back to the layout first seen.
class GnomeBackend : public DisplayBackend
{
public:
    // Null with *error set when the service does not answer on the session bus.
    static std::unique_ptr<GnomeBackend> open(std::string* error,
                                              std::string sysfsRoot = "/sys/class/drm",
                                              std::string deviceRoot = "/dev/dri");
    ~GnomeBackend() override;

    std::string name() const override { return "gnome"; }
    bool enumDisplayMonitors(const MonitorCallback& callback) override;
    bool getMonitorInfo(MonitorHandle monitor, MonitorInfo& info) override;
    bool enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device) override;
    bool enumDisplaySettings(const std::string& output, int32_t modeIndex,
                             ModeRecord& mode) override;
    int32_t changeDisplaySettings(const std::string& output, const ModeRecord* mode) override;
    bool presentMonitorDevices(std::vector<MonitorDevice>& devices) override;
    bool monitorClassDevices(std::vector<MonitorClassDevice>& devices) override;

    // MonitorsChanged, compared with the layout before, on the event loop of
    // the thread that sets the callback.
    void setChangeCallback(ChangeCallback callback) override;

    // "GNOME display service, 2 monitors (physical layout)", for verbose output.
    std::string description() const;

    // Bits per pixel of every mode: compositors draw into 32-bit buffers.
    static constexpr uint32_t BitsPerPixel = 32;

private:
    struct Monitor
    {
        std::string connector;
        std::vector<ModeRecord> modes; // turned like the region
        std::vector<QString> modeIds;  // the service's identifier of each
        std::optional<ModeRecord> current;
        std::string identity; // connector, vendor, product and serial: keys the EDID cache
        int region = -1;      // index into m_state.logicalMonitors
    };

    GnomeBackend(std::string sysfsRoot, std::string deviceRoot);

    // Reads the service's state again; false (keeping nothing) when it does
    // not answer.
    bool update();
    void rebuild();
    Monitor* find(const std::string& connector);
    const std::vector<uint8_t>& edidOf(const Monitor& monitor);
    Rect rectOf(int region) const;
    std::string regionName(int region) const;
    std::vector<const Monitor*> attachedTo(const Monitor& adapter) const;
    // The layout of state as a configuration to apply.
    static QList<DisplayConfigLogicalMonitorAssignment>
    assignmentsOf(const DisplayConfigState& state);

    DisplayConfigClient m_client;
    std::string m_sysfsRoot;
    std::string m_deviceRoot;
    DisplayConfigState m_state;
    std::vector<Monitor> m_monitors;
    std::vector<int> m_regionOrder; // regions in the order monitors are enumerated
    std::optional<DisplayConfigState> m_firstSeen;
    bool m_valid = false;
    std::map<std::string, std::vector<uint8_t>> m_edids;
    std::unique_ptr<DisplayConfigWatcher> m_watcher;
};
