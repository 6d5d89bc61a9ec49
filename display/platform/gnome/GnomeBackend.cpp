#include "display/platform/gnome/GnomeBackend.h"

#include "display/platform/MonitorIdentity.h"
#include "display/platform/gnome/DisplayConfigWatcher.h"
#include "display/platform/sysfs/SysfsReader.h"

#include <algorithm>
#include <cmath>

namespace {
ModeRecord recordOf(const DisplayConfigMode& mode, bool sideways, uint64_t index)
{
    ModeRecord record;
    record.width = uint32_t(std::max(0, sideways ? mode.height : mode.width));
    record.height = uint32_t(std::max(0, sideways ? mode.width : mode.height));
    record.bitsPerPixel = GnomeBackend::BitsPerPixel;
    record.frequency = uint32_t(std::max(0L, std::lround(mode.refreshRate)));
    record.nativeId = index;
    return record;
}

bool sameFigures(const ModeRecord& listed, const ModeRecord& wanted)
{
    return listed.width == wanted.width && listed.height == wanted.height &&
           (wanted.frequency == 0 || listed.frequency == wanted.frequency);
}
} // namespace

std::unique_ptr<GnomeBackend> GnomeBackend::open(std::string* error, std::string sysfsRoot,
                                                 std::string deviceRoot)
{
    std::unique_ptr<GnomeBackend> backend(
        new GnomeBackend(std::move(sysfsRoot), std::move(deviceRoot)));
    std::string failure;
    if (!backend->m_client.currentState(backend->m_state, &failure)) {
        if (error)
            *error = "GNOME's display service does not answer (" + failure + ")";
        return nullptr;
    }
    backend->m_firstSeen = backend->m_state;
    backend->rebuild();
    return backend;
}

GnomeBackend::GnomeBackend(std::string sysfsRoot, std::string deviceRoot)
    : m_sysfsRoot(std::move(sysfsRoot)), m_deviceRoot(std::move(deviceRoot))
{}

GnomeBackend::~GnomeBackend() = default;

std::string GnomeBackend::description() const
{
    return "GNOME display service on the session bus, " + std::to_string(m_monitors.size()) +
           " monitor(s), " + (m_state.isLogicalLayout() ? "logical" : "physical") + " layout";
}

void GnomeBackend::setChangeCallback(ChangeCallback callback)
{
    m_watcher.reset();
    if (callback)
        m_watcher = std::make_unique<DisplayConfigWatcher>(std::move(callback));
}

bool GnomeBackend::update()
{
    DisplayConfigState state;
    if (!m_client.currentState(state, nullptr)) {
        m_valid = false;
        m_state = {};
        m_monitors.clear();
        m_regionOrder.clear();
        return false;
    }
    m_state = std::move(state);
    rebuild();
    return true;
}

void GnomeBackend::rebuild()
{
    m_monitors.clear();
    for (const DisplayConfigMonitor& source : m_state.monitors) {
        Monitor monitor;
        monitor.connector = source.spec.connector.toStdString();
        monitor.identity = QStringList({source.spec.connector, source.spec.vendor,
                                        source.spec.product, source.spec.serial})
                               .join(QChar('/'))
                               .toStdString();
        monitor.region = m_state.logicalMonitorOf(source.spec.connector);
        const bool sideways =
            monitor.region >= 0 && m_state.logicalMonitors[monitor.region].isSideways();
        for (int i = 0; i < source.modes.size(); ++i) {
            const DisplayConfigMode& mode = source.modes[i];
            monitor.modes.push_back(recordOf(mode, sideways, uint64_t(i)));
            monitor.modeIds.push_back(mode.id);
            if (mode.isCurrent() && monitor.region >= 0)
                monitor.current = monitor.modes.back();
        }
        m_monitors.push_back(std::move(monitor));
    }
    // Regions in the order of their first monitor, as connectors are listed.
    m_regionOrder.clear();
    for (const Monitor& monitor : m_monitors)
        if (monitor.region >= 0 && std::find(m_regionOrder.begin(), m_regionOrder.end(),
                                             monitor.region) == m_regionOrder.end())
            m_regionOrder.push_back(monitor.region);
    m_valid = true;
}

GnomeBackend::Monitor* GnomeBackend::find(const std::string& connector)
{
    for (Monitor& monitor : m_monitors)
        if (monitor.connector == connector)
            return &monitor;
    return nullptr;
}

const std::vector<uint8_t>& GnomeBackend::edidOf(const Monitor& monitor)
{
    auto it = m_edids.find(monitor.identity);
    if (it == m_edids.end()) {
        std::vector<uint8_t> edid;
        if (auto connector = SysfsReader::connectorNamed(m_sysfsRoot, monitor.connector))
            edid = std::move(connector->edid);
        // Shorter than a base block is no EDID at all.
        if (edid.size() < 128)
            edid.clear();
        it = m_edids.emplace(monitor.identity, std::move(edid)).first;
    }
    return it->second;
}

Rect GnomeBackend::rectOf(int region) const
{
    const DisplayConfigLogicalMonitor& logical = m_state.logicalMonitors[region];
    int32_t width = 0;
    int32_t height = 0;
    for (const Monitor& monitor : m_monitors) {
        if (monitor.region == region && monitor.current) {
            width = int32_t(monitor.current->width);
            height = int32_t(monitor.current->height);
            break;
        }
    }
    // In the logical layout the region is measured in scaled pixels.
    if (m_state.isLogicalLayout() && logical.scale > 0) {
        width = int32_t(std::lround(width / logical.scale));
        height = int32_t(std::lround(height / logical.scale));
    }
    return {logical.x, logical.y, logical.x + width, logical.y + height};
}

std::string GnomeBackend::regionName(int region) const
{
    for (const Monitor& monitor : m_monitors)
        if (monitor.region == region)
            return monitor.connector;
    return {};
}

std::vector<const GnomeBackend::Monitor*> GnomeBackend::attachedTo(const Monitor& adapter) const
{
    if (adapter.region < 0)
        return {&adapter};
    std::vector<const Monitor*> attached;
    for (const Monitor& monitor : m_monitors)
        if (monitor.region == adapter.region)
            attached.push_back(&monitor);
    return attached;
}

bool GnomeBackend::enumDisplayMonitors(const MonitorCallback& callback)
{
    if (!update())
        return false;
    // The callback asks further questions, which may read the state again.
    const std::vector<int> regions = m_regionOrder;
    for (int region : regions)
        if (!callback(MonitorHandle(region + 1)))
            break;
    return true;
}

bool GnomeBackend::getMonitorInfo(MonitorHandle monitor, MonitorInfo& info)
{
    if (!m_valid && !update())
        return false;
    if (monitor == 0 || monitor > MonitorHandle(m_state.logicalMonitors.size()))
        return false;
    const int region = int(monitor - 1);
    info.rcMonitor = rectOf(region);
    info.rcWork = info.rcMonitor;
    info.flags = m_state.logicalMonitors[region].primary ? MonitorInfo::PrimaryMonitor : 0;
    info.device = regionName(region);
    return true;
}

bool GnomeBackend::enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device)
{
    if ((index == 0 || !m_valid) && !update())
        return false;
    if (!adapter) {
        if (index >= m_monitors.size())
            return false;
        const Monitor& monitor = m_monitors[index];
        device = {};
        device.deviceName = monitor.connector;
        device.deviceString = "GNOME monitor " + monitor.connector;
        device.stateFlags = (monitor.region >= 0 ? DisplayDevice::AttachedToDesktop : 0) |
                            (monitor.region >= 0 && m_state.logicalMonitors[monitor.region].primary
                                 ? DisplayDevice::PrimaryDevice
                                 : 0);
        device.deviceId = "GNOME\\" + monitor.connector;
        return true;
    }
    const Monitor* owner = find(adapter);
    if (!owner)
        return false;
    const std::vector<const Monitor*> attached = attachedTo(*owner);
    if (index >= attached.size())
        return false;
    const Monitor& monitor = *attached[index];
    device = {};
    device.deviceName = std::string(adapter) + "\\Monitor" + std::to_string(index);
    device.deviceString = "Monitor on " + monitor.connector;
    device.stateFlags = monitor.region >= 0 ? DisplayDevice::Active : 0;
    device.deviceId = MonitorIdentity::deviceId(MonitorIdentity::modelCode(edidOf(monitor)),
                                                unsigned(&monitor - m_monitors.data()));
    return true;
}

bool GnomeBackend::enumDisplaySettings(const std::string& output, int32_t modeIndex,
                                       ModeRecord& mode)
{
    if ((modeIndex <= 0 || !m_valid) && !update())
        return false;
    const Monitor* monitor = find(output);
    if (!monitor)
        return false;
    if (modeIndex == CurrentSettings) {
        if (!monitor->current)
            return false;
        mode = *monitor->current;
        return true;
    }
    if (modeIndex < 0 || size_t(modeIndex) >= monitor->modes.size())
        return false;
    mode = monitor->modes[size_t(modeIndex)];
    return true;
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
        for (const DisplayConfigMonitorSpec& spec : logical.monitors) {
            const DisplayConfigMonitor* monitor = state.monitor(spec.connector);
            const DisplayConfigMode* mode = monitor ? monitor->currentMode() : nullptr;
            if (mode)
                assignment.monitors.append({spec.connector, mode->id, {}});
        }
        if (!assignment.monitors.isEmpty())
            assignments.append(assignment);
    }
    return assignments;
}

int32_t GnomeBackend::changeDisplaySettings(const std::string& output, const ModeRecord* mode)
{
    if (!m_valid && !update())
        return ChangeFailed;
    if (!mode) {
        // Back to the layout first seen, unless it still holds: applying an
        // unchanged layout would only announce a change that did not happen.
        if (!m_firstSeen || !update())
            return ChangeFailed;
        QList<DisplayConfigLogicalMonitorAssignment> wanted;
        for (DisplayConfigLogicalMonitorAssignment region : assignmentsOf(*m_firstSeen)) {
            region.monitors.erase(std::remove_if(region.monitors.begin(), region.monitors.end(),
                                                 [&](const DisplayConfigMonitorAssignment& m) {
                                                     return !m_state.monitor(m.connector);
                                                 }),
                                  region.monitors.end());
            if (!region.monitors.isEmpty())
                wanted.append(region);
        }
        const QList<DisplayConfigLogicalMonitorAssignment> now = assignmentsOf(m_state);
        const auto same = [](const DisplayConfigLogicalMonitorAssignment& a,
                             const DisplayConfigLogicalMonitorAssignment& b) {
            if (a.x != b.x || a.y != b.y || a.scale != b.scale || a.transform != b.transform ||
                a.primary != b.primary || a.monitors.size() != b.monitors.size())
                return false;
            for (int i = 0; i < a.monitors.size(); ++i)
                if (a.monitors[i].connector != b.monitors[i].connector ||
                    a.monitors[i].modeId != b.monitors[i].modeId)
                    return false;
            return true;
        };
        if (std::equal(wanted.begin(), wanted.end(), now.begin(), now.end(), same))
            return ChangeSuccessful;
        const bool applied = m_client.applyMonitorsConfig(
            m_state.serial, DisplayConfigClient::Temporary, wanted, nullptr);
        update();
        return applied ? ChangeSuccessful : ChangeFailed;
    }

    // A mode the monitor does not list is refused before asking anyone.
    const Monitor* monitor = find(output);
    if (!monitor)
        return ChangeFailed;
    if (mode->bitsPerPixel != 0 && mode->bitsPerPixel != BitsPerPixel)
        return ChangeBadMode;
    const auto listed = [&](const Monitor& candidate) {
        for (size_t i = 0; i < candidate.modes.size(); ++i)
            if (candidate.modes[i].nativeId == mode->nativeId &&
                sameFigures(candidate.modes[i], *mode))
                return int(i);
        for (size_t i = 0; i < candidate.modes.size(); ++i)
            if (sameFigures(candidate.modes[i], *mode))
                return int(i);
        return -1;
    };
    if (listed(*monitor) < 0)
        return ChangeBadMode;

    // The change is made against the service's latest state and serial.
    if (!update())
        return ChangeFailed;
    monitor = find(output);
    if (!monitor)
        return ChangeFailed;
    const int index = listed(*monitor);
    if (index < 0)
        return ChangeBadMode;
    if (monitor->region < 0)
        return ChangeFailed; // a monitor that is off has no mode to switch
    const QString connector = QString::fromStdString(monitor->connector);
    const DisplayConfigMode& chosen = m_state.monitor(connector)->modes[index];
    QList<DisplayConfigLogicalMonitorAssignment> assignments = assignmentsOf(m_state);
    const DisplayConfigLogicalMonitor& logical = m_state.logicalMonitors[monitor->region];
    for (DisplayConfigLogicalMonitorAssignment& region : assignments) {
        if (region.x != logical.x || region.y != logical.y)
            continue;
        for (DisplayConfigMonitorAssignment& assigned : region.monitors)
            if (assigned.connector == connector)
                assigned.modeId = chosen.id;
        // The region's scale only when the new mode allows it.
        if (!chosen.supportedScales.contains(region.scale))
            region.scale = chosen.preferredScale;
    }
    const bool applied = m_client.applyMonitorsConfig(
        m_state.serial, DisplayConfigClient::Temporary, assignments, nullptr);
    update();
    return applied ? ChangeSuccessful : ChangeFailed;
}

bool GnomeBackend::presentMonitorDevices(std::vector<MonitorDevice>& devices)
{
    if (!update())
        return false;
    devices.clear();
    for (size_t i = 0; i < m_monitors.size(); ++i) {
        const std::vector<uint8_t>& edid = edidOf(m_monitors[i]);
        MonitorDevice device;
        device.instanceId =
            MonitorIdentity::instanceId(MonitorIdentity::modelCode(edid), unsigned(i));
        if (!edid.empty())
            device.hardwareKeyValues.push_back({"EDID", edid});
        devices.push_back(std::move(device));
    }
    return true;
}

bool GnomeBackend::monitorClassDevices(std::vector<MonitorClassDevice>& devices)
{
    if (!update())
        return false;
    devices.clear();
    for (const Monitor& monitor : m_monitors) {
        const std::string model = MonitorIdentity::modelCode(edidOf(monitor));
        if (model.empty())
            continue;
        std::optional<std::string> version;
        if (auto connector = SysfsReader::connectorNamed(m_sysfsRoot, monitor.connector))
            version = SysfsReader::driverVersion(m_sysfsRoot, m_deviceRoot, connector->card);
        devices.push_back({MonitorIdentity::hardwareId(model), version});
    }
    return true;
}
