#include "display/platform/gnome/GnomeBackend.h"

#include "display/platform/gnome/DisplayConfigWatcher.h"
#include "display/platform/sysfs/SysfsReader.h"

#include <algorithm>

namespace {
bool sameRegion(const DisplayConfigLogicalMonitorAssignment& a,
                const DisplayConfigLogicalMonitorAssignment& b)
{
    if (a.x != b.x || a.y != b.y || a.scale != b.scale || a.transform != b.transform ||
        a.primary != b.primary || a.monitors.size() != b.monitors.size())
        return false;
    for (int i = 0; i < a.monitors.size(); ++i)
        if (a.monitors[i].connector != b.monitors[i].connector ||
            a.monitors[i].modeId != b.monitors[i].modeId)
            return false;
    return true;
}
} // namespace

std::unique_ptr<GnomeBackend> GnomeBackend::open(std::string* error, std::string sysfsRoot,
                                                 std::string deviceRoot)
{
    std::unique_ptr<GnomeBackend> backend(
        new GnomeBackend(std::move(sysfsRoot), std::move(deviceRoot)));
    backend->m_stale.store(true);
    backend->refresh();
    if (!backend->m_valid) {
        if (error)
            *error = "GNOME's display service does not answer (" + backend->m_error + ")";
        return nullptr;
    }
    backend->m_firstSeen = backend->m_state;
    return backend;
}

GnomeBackend::GnomeBackend(std::string sysfsRoot, std::string deviceRoot)
    : SnapshotBackend(std::move(sysfsRoot), std::move(deviceRoot))
{
    if (!m_client.isConnected(nullptr))
        return;
    m_watcher = new DisplayConfigWatcher(&m_stale);
    m_watcher->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("gnome-display-config"));
    m_thread.start();
    // Subscribed before the first answer is read, so no change slips between.
    QMetaObject::invokeMethod(m_watcher, "start", Qt::BlockingQueuedConnection,
                              Q_RETURN_ARG(bool, m_listening));
}

GnomeBackend::~GnomeBackend()
{
    m_thread.quit();
    m_thread.wait();
    delete m_watcher;
}

std::string GnomeBackend::description()
{
    return "GNOME display service on the session bus, " +
           std::to_string(snapshot()->outputs().size()) + " monitor(s), " +
           (m_state.isLogicalLayout() ? "logical" : "physical") + " layout";
}

void GnomeBackend::setChangeCallback(ChangeCallback callback)
{
    if (m_watcher)
        m_watcher->setChangeCallback(std::move(callback), m_state);
}

bool GnomeBackend::readNow()
{
    // Cleared before asking: a change announced meanwhile asks again next time.
    m_stale.store(false);
    DisplayConfigState state;
    m_error.clear();
    m_valid = m_client.currentState(state, &m_error);
    if (!m_valid) {
        m_stale.store(true);
        return false;
    }
    m_state = std::move(state);
    return true;
}

SnapshotBackend::Reading GnomeBackend::readOutputs(std::vector<OutputSnapshot::Output>& outputs)
{
    if (m_valid && m_listening && !m_stale.load())
        return Reading::Unchanged;
    if (!readNow())
        return Reading::Failed;
    outputs = DisplayConfigLayout::outputsOf(m_state);
    for (size_t i = 0; i < outputs.size(); ++i) {
        const Edid& edid = edidOf(m_state.monitors[int(i)]);
        outputs[i].edid = edid.bytes;
        outputs[i].card = edid.card;
    }
    return Reading::Read;
}

const GnomeBackend::Edid& GnomeBackend::edidOf(const DisplayConfigMonitor& monitor)
{
    const DisplayConfigMonitorSpec& id = monitor.monitorId;
    const QString identity =
        QStringList({id.connector, id.vendor, id.product, id.serial}).join(QChar('/'));
    auto it = m_edids.find(identity);
    if (it == m_edids.end()) {
        Edid edid;
        if (auto connector =
                SysfsReader::connectorShowing(sysfsRoot(), id.connector.toStdString(),
                                              id.vendor.toStdString(), id.serial.toStdString())) {
            edid.bytes = std::move(connector->edid);
            edid.card = connector->card;
        }
        // Shorter than a base block is no EDID at all.
        if (edid.bytes.size() < 128)
            edid.bytes.clear();
        it = m_edids.emplace(identity, std::move(edid)).first;
    }
    return it->second;
}

QList<DisplayConfigLogicalMonitorAssignment>
GnomeBackend::assignmentsOf(const DisplayConfigState& state)
{
    QList<DisplayConfigLogicalMonitorAssignment> assignments;
    for (const DisplayConfigLogicalMonitor& logical : state.logicalMonitors) {
        DisplayConfigLogicalMonitorAssignment assignment;
        assignment.x = logical.x;
        assignment.y = logical.y;
        assignment.scale = logical.scale;
        assignment.transform = logical.transform;
        assignment.primary = logical.primary;
        for (const DisplayConfigMonitorSpec& monitorId : logical.monitors) {
            const DisplayConfigMonitor* monitor = state.monitor(monitorId.connector);
            if (const DisplayConfigMode* mode = monitor ? monitor->currentMode() : nullptr)
                assignment.monitors.append({monitorId.connector, mode->id, {}});
        }
        if (!assignment.monitors.isEmpty())
            assignments.append(assignment);
    }
    return assignments;
}

int32_t GnomeBackend::changeDisplaySettings(const std::string& output, const ModeRecord* mode)
{
    return mode ? switchMode(output, *mode) : restoreFirstSeen();
}

int32_t GnomeBackend::switchMode(const std::string& output, const ModeRecord& mode)
{
    // A mode the monitor does not list is refused before asking anyone.
    {
        const std::shared_ptr<const OutputSnapshot> outputs = snapshot();
        const OutputSnapshot::Output* found = outputs->find(output);
        if (!found)
            return ChangeFailed;
        if (!outputs->modeIndex(*found, mode))
            return ChangeBadMode;
    }

    // The change is made against the service's latest state and serial.
    m_stale.store(true);
    const std::shared_ptr<const OutputSnapshot> outputs = refresh();
    const OutputSnapshot::Output* found = outputs->find(output);
    if (!found || !isValid())
        return ChangeFailed;
    const std::optional<size_t> index = outputs->modeIndex(*found, mode);
    if (!index)
        return ChangeBadMode;
    if (found->shownIn.empty())
        return ChangeFailed; // a monitor that is off has no mode to switch
    const QString connector = QString::fromStdString(output);
    const DisplayConfigMode& chosen = m_state.monitor(connector)->modes[int(*index)];
    const DisplayConfigLogicalMonitor& logical =
        m_state.logicalMonitors[m_state.logicalMonitorOf(connector)];
    QList<DisplayConfigLogicalMonitorAssignment> assignments = assignmentsOf(m_state);
    for (DisplayConfigLogicalMonitorAssignment& region : assignments) {
        // Regions do not overlap: the place names the region.
        if (region.x != logical.x || region.y != logical.y)
            continue;
        for (DisplayConfigMonitorAssignment& assigned : region.monitors)
            if (assigned.connector == connector)
                assigned.modeId = chosen.id;
        // The region keeps its scale when the new mode allows it.
        if (!chosen.supportedScales.contains(region.scale))
            region.scale = chosen.preferredScale;
    }
    const bool applied = m_client.applyMonitorsConfig(
        m_state.serial, DisplayConfigClient::Temporary, assignments, nullptr);
    m_stale.store(true);
    refresh();
    return applied ? ChangeSuccessful : ChangeFailed;
}

int32_t GnomeBackend::restoreFirstSeen()
{
    if (!m_firstSeen)
        return ChangeFailed;
    m_stale.store(true);
    refresh();
    if (!isValid())
        return ChangeFailed;
    // Monitors unplugged since are left out; a region without any goes.
    QList<DisplayConfigLogicalMonitorAssignment> wanted;
    for (DisplayConfigLogicalMonitorAssignment region : assignmentsOf(*m_firstSeen)) {
        region.monitors.erase(std::remove_if(region.monitors.begin(), region.monitors.end(),
                                             [&](const DisplayConfigMonitorAssignment& monitor) {
                                                 return !m_state.monitor(monitor.connector);
                                             }),
                              region.monitors.end());
        if (!region.monitors.isEmpty())
            wanted.append(region);
    }
    // Applying the layout that holds would only announce a change that did
    // not happen, which running tests take for a system event.
    const QList<DisplayConfigLogicalMonitorAssignment> now = assignmentsOf(m_state);
    if (std::equal(wanted.begin(), wanted.end(), now.begin(), now.end(), sameRegion))
        return ChangeSuccessful;
    const bool applied = m_client.applyMonitorsConfig(
        m_state.serial, DisplayConfigClient::Temporary, wanted, nullptr);
    m_stale.store(true);
    refresh();
    return applied ? ChangeSuccessful : ChangeFailed;
}
