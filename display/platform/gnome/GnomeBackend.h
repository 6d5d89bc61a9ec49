#pragma once

#include "display/platform/SnapshotBackend.h"
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
class GnomeBackend : public SnapshotBackend
{
public:
    // Null with *error set when the service does not answer on the session bus.
    // *unanswered (when given) says the service is there but silent.
    static std::unique_ptr<GnomeBackend> open(std::string* error,
                                              std::string sysfsRoot = "/sys/class/drm",
                                              std::string deviceRoot = "/dev/dri",
                                              bool* unanswered = nullptr);
    ~GnomeBackend() override;

    std::string name() const override { return "gnome"; }
    int32_t changeDisplaySettings(const std::string& output, const ModeRecord* mode) override;
    std::string lastChangeError() const override;

    // MonitorsChanged, compared with the layout before, from the backend's
    // own listening thread.
    void setChangeCallback(ChangeCallback callback) override;

    // "GNOME display service on the session bus, 2 monitor(s), physical
    // layout", for verbose output.
    std::string description();

protected:
    // Reads the service's state again when a change was announced since the
    // last answer (always when nothing listens).
    Reading readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                        const OperationDeadline& deadline) override;

private:
    struct Edid
    {
        std::vector<uint8_t> bytes;
        std::string card;
    };

    GnomeBackend(std::string sysfsRoot, std::string deviceRoot);

    // The service's latest state, read now; false when it does not answer.
    bool readNow(const OperationDeadline& deadline);
    int32_t switchMode(const std::string& output, const ModeRecord& mode,
                       const OperationDeadline& deadline);
    int32_t restoreFirstSeen(const OperationDeadline& deadline);
    int32_t apply(const QList<DisplayConfigLogicalMonitorAssignment>& assignments,
                  const OperationDeadline& deadline);
    // Keeps why a change failed, and says it to whoever shows Qt's info lines.
    int32_t failed(const std::string& why);
    const Edid& edidOf(const DisplayConfigMonitor& monitor);

    DisplayConfigClient m_client;
    DisplayConfigState m_state; // the state behind the last snapshot
    std::optional<DisplayConfigState> m_firstSeen;
    bool m_valid = false;
    std::string m_error;             // why the last reading failed
    bool m_noAnswer = false;         // the last reading failed for want of an answer
    std::string m_changeError;       // why the last change failed
    std::map<QString, Edid> m_edids; // by connector, maker, product and serial
    // MonitorsChanged and owner changes arrive on their own thread, so a
    // refresh costs one call after a change and none while nothing changed.
    std::atomic<bool> m_stale{true};
    bool m_listening = false;
    QThread m_thread;
    DisplayConfigWatcher* m_watcher = nullptr; // lives on m_thread
};
