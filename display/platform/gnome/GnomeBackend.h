#pragma once

#include "display/platform/DisplayBackend.h"
#include "display/platform/gnome/DisplayConfigClient.h"
#include "display/platform/gnome/DisplayConfigLayout.h"

#include <QThread>

#include <atomic>
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
    bool describeDevice(const std::string& output, const std::string& monitorDevice,
                        OutputView& view) override;

    // MonitorsChanged, compared with the layout before, from the backend's
    // own listening thread.
    void setChangeCallback(ChangeCallback callback) override;

    // "GNOME display service on the session bus, 2 monitor(s), physical
    // layout", for verbose output.
    std::string description() const;

    // The layout of state as a configuration to apply.
    static QList<DisplayConfigLogicalMonitorAssignment>
    assignmentsOf(const DisplayConfigState& state);

private:
    GnomeBackend(std::string sysfsRoot, std::string deviceRoot);

    // Reads the service's state again when a change was announced since the
    // last answer (always when nothing listens, or when forced); false
    // (keeping nothing) when the service does not answer.
    bool update(bool force = false);
    int32_t switchMode(const std::string& output, const ModeRecord& mode);
    int32_t restoreFirstSeen();
    const std::vector<uint8_t>& edidOf(const DisplayConfigLayout::Monitor& monitor);

    DisplayConfigClient m_client;
    std::string m_sysfsRoot;
    std::string m_deviceRoot;
    DisplayConfigState m_state;
    DisplayConfigLayout m_layout;
    std::optional<DisplayConfigState> m_firstSeen;
    bool m_valid = false;
    std::map<std::string, std::vector<uint8_t>> m_edids; // by monitor identity
    // MonitorsChanged and owner changes arrive on their own thread, so a
    // refresh costs one call after a change and none while nothing changed.
    std::atomic<bool> m_stale{true};
    bool m_listening = false;
    QThread m_thread;
    DisplayConfigWatcher* m_watcher = nullptr; // lives on m_thread
};
