#include "display/platform/gnome/GnomeBackend.h"

#include "display/platform/MonitorIdentity.h"
#include "display/platform/gnome/DisplayConfigWatcher.h"
#include "display/platform/sysfs/SysfsReader.h"

#include <algorithm>

namespace {
using Monitor = DisplayConfigLayout::Monitor;

bool sameFigures(const ModeRecord& listed, const ModeRecord& wanted)
{
    return listed.width == wanted.width && listed.height == wanted.height &&
           (wanted.frequency == 0 || listed.frequency == wanted.frequency);
}

// The monitor's mode with the record's own identifier and figures, else one
// with the same figures; -1 when it lists none.
int listedIndex(const Monitor& monitor, const ModeRecord& mode)
{
    if (mode.bitsPerPixel != 0 && mode.bitsPerPixel != DisplayConfigLayout::BitsPerPixel)
        return -1;
    for (size_t i = 0; i < monitor.modes.size(); ++i)
        if (monitor.modes[i].nativeId == mode.nativeId && sameFigures(monitor.modes[i], mode))
            return int(i);
    for (size_t i = 0; i < monitor.modes.size(); ++i)
        if (sameFigures(monitor.modes[i], mode))
            return int(i);
    return -1;
}

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
    std::string failure;
    backend->m_stale.store(false);
    if (!backend->m_client.currentState(backend->m_state, &failure)) {
        if (error)
            *error = "GNOME's display service does not answer (" + failure + ")";
        return nullptr;
    }
    backend->m_firstSeen = backend->m_state;
    backend->m_layout = DisplayConfigLayout(backend->m_state);
    backend->m_valid = true;
    return backend;
}

GnomeBackend::GnomeBackend(std::string sysfsRoot, std::string deviceRoot)
    : m_sysfsRoot(std::move(sysfsRoot)), m_deviceRoot(std::move(deviceRoot))
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

std::string GnomeBackend::description() const
{
    return "GNOME display service on the session bus, " +
           std::to_string(m_layout.monitors().size()) + " monitor(s), " +
           (m_state.isLogicalLayout() ? "logical" : "physical") + " layout";
}

void GnomeBackend::setChangeCallback(ChangeCallback callback)
{
    if (m_watcher)
        m_watcher->setChangeCallback(std::move(callback), m_state);
}

bool GnomeBackend::update(bool force)
{
    if (!force && m_valid && m_listening && !m_stale.load())
        return true;
    // Cleared before asking: a change announced meanwhile asks again next time.
    m_stale.store(false);
    DisplayConfigState state;
    m_valid = m_client.currentState(state, nullptr);
    if (!m_valid)
        m_stale.store(true);
    m_state = m_valid ? std::move(state) : DisplayConfigState();
    m_layout = DisplayConfigLayout(m_state);
    return m_valid;
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

bool GnomeBackend::enumDisplayMonitors(const MonitorCallback& callback)
{
    if (!update())
        return false;
    // The callback asks further questions, which may read the state again.
    const std::vector<int> regions = m_layout.regions();
    for (int region : regions)
        if (!callback(MonitorHandle(region + 1)))
            break;
    return true;
}

bool GnomeBackend::getMonitorInfo(MonitorHandle monitor, MonitorInfo& info)
{
    if (!m_valid && !update())
        return false;
    const int region = int(monitor) - 1;
    if (monitor == 0 || std::find(m_layout.regions().begin(), m_layout.regions().end(), region) ==
                            m_layout.regions().end())
        return false;
    info.rcMonitor = m_layout.rectOf(region);
    info.rcWork = info.rcMonitor;
    info.flags = m_layout.isPrimary(region) ? MonitorInfo::PrimaryMonitor : 0;
    info.device = m_layout.nameOf(region);
    return true;
}

bool GnomeBackend::enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device)
{
    if ((index == 0 || !m_valid) && !update())
        return false;
    const std::vector<Monitor>& monitors = m_layout.monitors();
    if (!adapter) {
        if (index >= monitors.size())
            return false;
        const Monitor& monitor = monitors[index];
        device = {};
        device.deviceName = monitor.connector;
        device.deviceString = "GNOME monitor " + monitor.connector;
        device.stateFlags = (monitor.region >= 0 ? DisplayDevice::AttachedToDesktop : 0) |
                            (m_layout.isPrimary(monitor.region) ? DisplayDevice::PrimaryDevice : 0);
        device.deviceId = "GNOME\\" + monitor.connector;
        return true;
    }
    const Monitor* owner = m_layout.find(adapter);
    if (!owner)
        return false;
    const std::vector<const Monitor*> attached = m_layout.attachedTo(*owner);
    if (index >= attached.size())
        return false;
    const Monitor& monitor = *attached[index];
    device = {};
    device.deviceName = std::string(adapter) + "\\Monitor" + std::to_string(index);
    device.deviceString = "Monitor on " + monitor.connector;
    device.stateFlags = monitor.region >= 0 ? DisplayDevice::Active : 0;
    device.deviceId = MonitorIdentity::deviceId(MonitorIdentity::modelCode(edidOf(monitor)),
                                                unsigned(&monitor - monitors.data()));
    return true;
}

bool GnomeBackend::enumDisplaySettings(const std::string& output, int32_t modeIndex,
                                       ModeRecord& mode)
{
    if ((modeIndex <= 0 || !m_valid) && !update())
        return false;
    const Monitor* monitor = m_layout.find(output);
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

bool GnomeBackend::describeDevice(const std::string& output, const std::string& monitorDevice,
                                  OutputView& view)
{
    if (!update())
        return false;
    const Monitor* owner = m_layout.find(output);
    const std::string prefix = output + "\\Monitor";
    if (!owner || monitorDevice.compare(0, prefix.size(), prefix) != 0)
        return false;
    // The device's number is its place among the clones showing the region.
    const std::string number = monitorDevice.substr(prefix.size());
    if (number.empty() || number.size() > 4 ||
        number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const std::vector<const Monitor*> attached = m_layout.attachedTo(*owner);
    const size_t index = size_t(std::stoul(number));
    if (index >= attached.size())
        return false;
    view = m_layout.viewOf(*attached[index]);
    view.edid = edidOf(*attached[index]);
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
    if (!m_valid && !update())
        return ChangeFailed;
    return mode ? switchMode(output, *mode) : restoreFirstSeen();
}

int32_t GnomeBackend::switchMode(const std::string& output, const ModeRecord& mode)
{
    // A mode the monitor does not list is refused before asking anyone.
    const Monitor* monitor = m_layout.find(output);
    if (!monitor)
        return ChangeFailed;
    if (listedIndex(*monitor, mode) < 0)
        return ChangeBadMode;

    // The change is made against the service's latest state and serial.
    if (!update(true))
        return ChangeFailed;
    monitor = m_layout.find(output);
    if (!monitor)
        return ChangeFailed;
    const int index = listedIndex(*monitor, mode);
    if (index < 0)
        return ChangeBadMode;
    if (monitor->region < 0)
        return ChangeFailed; // a monitor that is off has no mode to switch
    const QString connector = QString::fromStdString(output);
    const DisplayConfigMode& chosen = m_state.monitor(connector)->modes[index];
    const DisplayConfigLogicalMonitor& logical = m_state.logicalMonitors[monitor->region];
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
    update(true);
    return applied ? ChangeSuccessful : ChangeFailed;
}

int32_t GnomeBackend::restoreFirstSeen()
{
    if (!m_firstSeen || !update(true))
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
    update(true);
    return applied ? ChangeSuccessful : ChangeFailed;
}

bool GnomeBackend::presentMonitorDevices(std::vector<MonitorDevice>& devices)
{
    if (!update())
        return false;
    devices.clear();
    const std::vector<Monitor>& monitors = m_layout.monitors();
    for (size_t i = 0; i < monitors.size(); ++i) {
        const std::vector<uint8_t>& edid = edidOf(monitors[i]);
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
    for (const Monitor& monitor : m_layout.monitors()) {
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
