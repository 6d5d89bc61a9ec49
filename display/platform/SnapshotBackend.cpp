#include "display/platform/SnapshotBackend.h"

#include "display/platform/CardDriverVersion.h"
#include "display/platform/MonitorIdentity.h"

SnapshotBackend::SnapshotBackend(std::string sysfsRoot, std::string deviceRoot)
    : m_sysfsRoot(std::move(sysfsRoot)), m_deviceRoot(std::move(deviceRoot))
{}

std::shared_ptr<const OutputSnapshot> SnapshotBackend::refresh(const OperationDeadline& deadline)
{
    std::vector<OutputSnapshot::Output> outputs;
    const Reading reading = platformGone() ? Reading::Failed : readOutputs(outputs, deadline);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (reading == Reading::Unchanged && m_snapshot && m_valid)
        return m_snapshot;
    m_valid = reading != Reading::Failed;
    if (!m_valid)
        outputs.clear();
    m_snapshot = std::make_shared<const OutputSnapshot>(std::move(outputs), m_snapshot.get());
    return m_snapshot;
}

std::shared_ptr<const OutputSnapshot> SnapshotBackend::snapshot()
{
    const bool gone = platformGone();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (gone && (m_valid || !m_snapshot)) {
            m_valid = false;
            m_snapshot = std::make_shared<const OutputSnapshot>();
        }
        if (m_snapshot)
            return m_snapshot;
    }
    return refresh();
}

bool SnapshotBackend::isValid()
{
    snapshot();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_valid;
}

bool SnapshotBackend::enumDisplayMonitors(const MonitorCallback& callback)
{
    // The callback asks further questions; they read this same snapshot.
    const std::shared_ptr<const OutputSnapshot> outputs = refresh();
    if (!isValid())
        return false;
    for (MonitorHandle monitor : outputs->monitors())
        if (!callback(monitor))
            break;
    return true;
}

bool SnapshotBackend::getMonitorInfo(MonitorHandle monitor, MonitorInfo& info)
{
    return snapshot()->monitorInfo(monitor, info);
}

bool SnapshotBackend::enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device)
{
    const std::shared_ptr<const OutputSnapshot> outputs = snapshot();
    return adapter ? outputs->attachedDevice(adapter, index, device)
                   : outputs->adapter(index, device);
}

bool SnapshotBackend::enumDisplaySettings(const std::string& output, int32_t modeIndex,
                                          ModeRecord& mode)
{
    return snapshot()->mode(output, modeIndex, mode);
}

bool SnapshotBackend::describeDevice(const std::string& output, const std::string& monitorDevice,
                                     OutputView& view)
{
    return snapshot()->view(output, monitorDevice, view);
}

bool SnapshotBackend::presentMonitorDevices(std::vector<MonitorDevice>& devices)
{
    const std::shared_ptr<const OutputSnapshot> outputs = snapshot();
    if (!isValid())
        return false;
    devices = outputs->presentMonitorDevices();
    return true;
}

bool SnapshotBackend::monitorClassDevices(std::vector<MonitorClassDevice>& devices)
{
    const std::shared_ptr<const OutputSnapshot> outputs = snapshot();
    if (!isValid())
        return false;
    devices.clear();
    for (const OutputSnapshot::Output& output : outputs->outputs()) {
        const std::string model = MonitorIdentity::modelCode(OutputSnapshot::usableEdid(output));
        if (!output.connected || model.empty())
            continue;
        devices.push_back({MonitorIdentity::hardwareId(model),
                           output.card.empty() ? std::nullopt : driverVersion(output.card)});
    }
    return true;
}

const std::optional<std::string>& SnapshotBackend::driverVersion(const std::string& card)
{
    auto it = m_driverVersions.find(card);
    if (it == m_driverVersions.end())
        it =
            m_driverVersions.emplace(card, CardDriverVersion::read(m_sysfsRoot, m_deviceRoot, card))
                .first;
    return it->second;
}
