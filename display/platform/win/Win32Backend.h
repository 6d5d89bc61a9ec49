#pragma once

#include "display/platform/SnapshotBackend.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class DisplayChangeWatcher;

// The displays of Windows through its display services (USER32), its device
// database (SetupAPI) and the registry. Each adapter is an output; the first
// monitor device attached to it is its device; the monitor that shows it
// gives its place. EDIDs come from each monitor device's hardware key, and
// where the EDID is known the device is named after the model it gives,
// since the system's own names can be generic ("Default_Monitor" on every
// monitor Windows has no driver for). A change is first asked with CDS_TEST
// and only made when the system says it would work.
class Win32Backend : public SnapshotBackend
{
public:
    Win32Backend();
    ~Win32Backend() override;

    std::string name() const override { return "win32"; }
    int32_t changeDisplaySettings(const std::string& output, const ModeRecord* mode) override;
    // WM_DISPLAYCHANGE and WM_DEVICECHANGE, heard by a hidden window. The
    // backend's own changes are not reported: what it hears while it
    // changes a mode and for a moment after is dropped.
    void setChangeCallback(ChangeCallback callback) override;

protected:
    // Windows answers at once; the deadline never bites.
    Reading readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                        const OperationDeadline& deadline) override;

private:
    int32_t change(const std::string& output, const ModeRecord* mode);
    bool ownChangeUnderway() const;

    std::atomic<int> m_changing{0};
    std::atomic<int64_t> m_quietUntil{0}; // steady clock, nanoseconds
    std::mutex m_watcherMutex;
    std::unique_ptr<DisplayChangeWatcher> m_watcher;
};
