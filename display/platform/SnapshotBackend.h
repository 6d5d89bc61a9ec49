#pragma once

#include "display/platform/DisplayBackend.h"
#include "display/platform/OperationDeadline.h"
#include "display/platform/OutputSnapshot.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// A backend that answers every question from an OutputSnapshot. Listing the
// monitors reads the platform again (a monitor enumeration starts each of the
// module's refreshes); every other question reads the snapshot of the last
// reading, so one refresh sees one layout however the platform changes
// meanwhile. A subclass translates its platform into snapshot rows and
// carries out changes, after which it calls refresh().
class SnapshotBackend : public DisplayBackend
{
public:
    bool enumDisplayMonitors(const MonitorCallback& callback) override;
    bool getMonitorInfo(MonitorHandle monitor, MonitorInfo& info) override;
    bool enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device) override;
    bool enumDisplaySettings(const std::string& output, int32_t modeIndex,
                             ModeRecord& mode) override;
    bool presentMonitorDevices(std::vector<MonitorDevice>& devices) override;
    bool monitorClassDevices(std::vector<MonitorClassDevice>& devices) override;
    bool describeDevice(const std::string& output, const std::string& monitorDevice,
                        OutputView& view) override;

protected:
    // sysfsRoot and deviceRoot name where drivers' versions are read for the
    // rows' cards.
    SnapshotBackend(std::string sysfsRoot, std::string deviceRoot);

    enum class Reading { Read, Unchanged, Failed };
    // Fills outputs with the platform's outputs in its order, waiting no
    // longer than deadline allows. Unchanged: the
    // platform announced no change since the last reading, which holds
    // (outputs ignored). Failed: the platform does not answer; the snapshot
    // becomes empty and the questions fail until a reading succeeds.
    virtual Reading readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                                const OperationDeadline& deadline) = 0;

    // True once the platform is gone for good (its connection broke): the
    // snapshot empties and every question fails from then on.
    virtual bool platformGone() { return false; }

    // The snapshot of the last reading, reading the first one when there is none.
    std::shared_ptr<const OutputSnapshot> snapshot();
    // Reads the platform again and returns the new snapshot.
    std::shared_ptr<const OutputSnapshot>
    refresh(const OperationDeadline& deadline = OperationDeadline());
    // False after a failed reading.
    bool isValid();

    const std::string& sysfsRoot() const { return m_sysfsRoot; }
    const std::string& deviceRoot() const { return m_deviceRoot; }

private:
    const std::optional<std::string>& driverVersion(const std::string& card);

    std::string m_sysfsRoot;
    std::string m_deviceRoot;
    // Guards the pointer; the snapshot itself never changes.
    std::mutex m_mutex;
    std::shared_ptr<const OutputSnapshot> m_snapshot;
    bool m_valid = false;
    std::map<std::string, std::optional<std::string>> m_driverVersions; // by card
};
