#include "display/platform/kde/KdeBackend.h"

#include "display/platform/MonitorIdentity.h"
#include "display/platform/kde/KdeCompositor.h"
#include "display/platform/sysfs/SysfsReader.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr uint32_t BitsPerPixel = 32;

bool turned(const KdeOutputDevice::State& output)
{
    return (output.transform & 1) != 0;
}

// A mode as the desk sees it: turned with the output, whole hertz.
ModeRecord recordOf(const KdeOutputDevice::State& output, size_t index)
{
    const KdeOutputDevice::Mode& mode = output.modes[index];
    ModeRecord record;
    record.width = uint32_t(turned(output) ? mode.height : mode.width);
    record.height = uint32_t(turned(output) ? mode.width : mode.height);
    record.bitsPerPixel = BitsPerPixel;
    record.frequency = uint32_t(std::lround(mode.refreshMilliHertz / 1000.0));
    record.nativeId = index;
    return record;
}

// The position with the turned current mode's size divided by the scale:
// the coordinates Qt's Wayland screens use.
Rect rectOf(const KdeOutputDevice::State& output)
{
    int32_t width = 0;
    int32_t height = 0;
    if (output.currentMode >= 0) {
        const ModeRecord current = recordOf(output, size_t(output.currentMode));
        const double scale = output.scale > 0 ? output.scale : 1.0;
        width = int32_t(std::lround(current.width / scale));
        height = int32_t(std::lround(current.height / scale));
    }
    return {output.x, output.y, output.x + width, output.y + height};
}

bool isMonitor(const KdeOutputDevice::State& output)
{
    return output.enabled;
}

// "card0-HDMI-A-1" names connector "HDMI-A-1" of card0, as the compositor does.
std::string connectorOf(const std::string& sysfsName, const std::string& card)
{
    return sysfsName.substr(card.size() + 1);
}
} // namespace

std::unique_ptr<KdeBackend> KdeBackend::open(const char* socket, std::string* error,
                                             std::string sysfsRoot, std::string deviceRoot)
{
    std::unique_ptr<KdeCompositor> compositor = KdeCompositor::connect(socket, error);
    if (!compositor)
        return nullptr;
    return std::unique_ptr<KdeBackend>(
        new KdeBackend(std::move(compositor), std::move(sysfsRoot), std::move(deviceRoot)));
}

KdeBackend::KdeBackend(std::unique_ptr<KdeCompositor> compositor, std::string sysfsRoot,
                       std::string deviceRoot)
    : m_compositor(std::move(compositor)), m_sysfsRoot(std::move(sysfsRoot)),
      m_deviceRoot(std::move(deviceRoot))
{}

KdeBackend::~KdeBackend() = default;

std::string KdeBackend::description() const
{
    return "KWin's output protocols on " + m_compositor->description();
}

void KdeBackend::setChangeCallback(ChangeCallback callback)
{
    m_compositor->setChangeCallback(std::move(callback));
}

void KdeBackend::rescan()
{
    // A compositor that does not answer has no outputs.
    if (!m_compositor->outputs(m_outputs))
        m_outputs.clear();
    m_order.clear();
    m_compositor->order(m_order);
    m_scanned = true;
}

const KdeOutputDevice::State* KdeBackend::find(const std::string& name) const
{
    for (const KdeOutputDevice::State& output : m_outputs)
        if (output.name == name)
            return &output;
    return nullptr;
}

bool KdeBackend::isPrimary(const KdeOutputDevice::State& output) const
{
    if (!m_order.empty())
        return m_order.front() == output.name;
    return output.x == 0 && output.y == 0;
}

bool KdeBackend::enumDisplayMonitors(const MonitorCallback& callback)
{
    rescan();
    std::vector<MonitorHandle> monitors;
    for (size_t i = 0; i < m_outputs.size(); ++i)
        if (isMonitor(m_outputs[i]))
            monitors.push_back(MonitorHandle(i + 1));
    for (MonitorHandle monitor : monitors)
        if (!callback(monitor))
            break;
    return !m_outputs.empty();
}

bool KdeBackend::getMonitorInfo(MonitorHandle monitor, MonitorInfo& info)
{
    if (!m_scanned)
        rescan();
    if (monitor == 0 || monitor > m_outputs.size() || !isMonitor(m_outputs[monitor - 1]))
        return false;
    const KdeOutputDevice::State& output = m_outputs[monitor - 1];
    info.rcMonitor = rectOf(output);
    info.rcWork = info.rcMonitor;
    info.flags = isPrimary(output) ? MonitorInfo::PrimaryMonitor : 0;
    info.device = output.name;
    return true;
}

bool KdeBackend::enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device)
{
    if (index == 0 || !m_scanned)
        rescan();
    if (!adapter) {
        if (index >= m_outputs.size())
            return false;
        const KdeOutputDevice::State& output = m_outputs[index];
        device = {};
        device.deviceName = output.name;
        device.deviceString = "KWin output " + output.name;
        device.stateFlags = (isMonitor(output) ? DisplayDevice::AttachedToDesktop : 0) |
                            (isPrimary(output) ? DisplayDevice::PrimaryDevice : 0);
        device.deviceId = "KWIN\\" + output.name;
        return true;
    }
    const KdeOutputDevice::State* output = find(adapter);
    if (!output || index > 0)
        return false;
    device = {};
    device.deviceName = output->name + "\\Monitor0";
    device.deviceString = "Monitor on " + output->name;
    device.stateFlags = isMonitor(*output) ? DisplayDevice::Active : 0;
    readSysfs();
    device.deviceId = MonitorIdentity::deviceId(MonitorIdentity::modelCode(edidOf(*output)),
                                                unsigned(output - m_outputs.data()));
    return true;
}

bool KdeBackend::enumDisplaySettings(const std::string& output, int32_t modeIndex, ModeRecord& mode)
{
    if (modeIndex == CurrentSettings || modeIndex == 0 || !m_scanned)
        rescan();
    const KdeOutputDevice::State* found = find(output);
    if (!found)
        return false;
    if (modeIndex == CurrentSettings) {
        if (!isMonitor(*found) || found->currentMode < 0)
            return false;
        mode = recordOf(*found, size_t(found->currentMode));
        return true;
    }
    if (modeIndex < 0 || size_t(modeIndex) >= found->modes.size())
        return false;
    mode = recordOf(*found, size_t(modeIndex));
    return true;
}

int32_t KdeBackend::changeDisplaySettings(const std::string& output, const ModeRecord* mode)
{
    rescan();
    const KdeOutputDevice::State* found = find(output);
    if (!found)
        return ChangeFailed;
    KdeCompositor::Result result = KdeCompositor::Failed;
    if (!mode) {
        result = m_compositor->restore(output);
    } else {
        // Only a mode the output lists goes to the compositor; the record's
        // own index is tried first, as several modes may look alike.
        const auto offers = [&](size_t i) {
            const ModeRecord listed = recordOf(*found, i);
            return listed.width == mode->width && listed.height == mode->height &&
                   listed.frequency == mode->frequency && listed.bitsPerPixel == mode->bitsPerPixel;
        };
        std::optional<size_t> index;
        if (mode->nativeId < found->modes.size() && offers(size_t(mode->nativeId)))
            index = size_t(mode->nativeId);
        for (size_t i = 0; i < found->modes.size() && !index; ++i)
            if (offers(i))
                index = i;
        if (!index)
            return ChangeBadMode;
        result = m_compositor->applyMode(output, int(*index), found->modes[*index]);
    }
    return result == KdeCompositor::Applied      ? ChangeSuccessful
           : result == KdeCompositor::NotOffered ? ChangeBadMode
                                                 : ChangeFailed;
}

bool KdeBackend::describeDevice(const std::string& output, const std::string& monitorDevice,
                                OutputView& view)
{
    // The outputs as the last refresh read them, which the module's view shows too.
    if (!m_scanned) {
        rescan();
        readSysfs();
    }
    const KdeOutputDevice::State* found = find(output);
    if (!found || !isMonitor(*found) || monitorDevice != output + "\\Monitor0")
        return false;
    view.connector = found->name;
    const Rect rect = rectOf(*found);
    view.x = rect.left;
    view.y = rect.top;
    view.width = uint32_t(std::max(0, rect.right - rect.left));
    view.height = uint32_t(std::max(0, rect.bottom - rect.top));
    if (found->currentMode >= 0 && found->scale > 0 && found->scale != 1.0) {
        // The rectangle is in the desktop's scaled coordinates; the output
        // shows the current mode's device pixels.
        const ModeRecord current = recordOf(*found, size_t(found->currentMode));
        view.scale = found->scale;
        view.logicalWidth = view.width;
        view.logicalHeight = view.height;
        view.width = current.width;
        view.height = current.height;
    }
    view.primary = isPrimary(*found);
    view.modes.clear();
    for (size_t i = 0; i < found->modes.size(); ++i) {
        // Sizes turned as the module's list; the compositor's rate to two decimals.
        const ModeRecord record = recordOf(*found, i);
        OutputMode mode;
        mode.width = record.width;
        mode.height = record.height;
        if (found->modes[i].refreshMilliHertz > 0)
            mode.refreshHz = OutputView::roundedHz(found->modes[i].refreshMilliHertz / 1000.0);
        mode.current = int(i) == found->currentMode;
        mode.preferred = found->modes[i].preferred;
        if (mode.current)
            view.refreshHz = mode.refreshHz;
        view.modes.push_back(mode);
    }
    view.edid = edidOf(*found);
    return true;
}

void KdeBackend::readSysfs()
{
    m_sysfsEdids.clear();
    m_cards.clear();
    for (SysfsReader::Connector& connector : SysfsReader::connectors(m_sysfsRoot)) {
        const std::string name = connectorOf(connector.name, connector.card);
        m_cards[name] = connector.card;
        if (connector.edid.size() >= 128)
            m_sysfsEdids[name] = std::move(connector.edid);
    }
}

std::vector<uint8_t> KdeBackend::edidOf(const KdeOutputDevice::State& output) const
{
    // Shorter than a base block is no EDID at all.
    if (output.edid.size() >= 128)
        return output.edid;
    const auto found = m_sysfsEdids.find(output.name);
    return found == m_sysfsEdids.end() ? std::vector<uint8_t>() : found->second;
}

bool KdeBackend::presentMonitorDevices(std::vector<MonitorDevice>& devices)
{
    rescan();
    readSysfs();
    devices.clear();
    for (size_t i = 0; i < m_outputs.size(); ++i) {
        const std::vector<uint8_t> edid = edidOf(m_outputs[i]);
        MonitorDevice device;
        device.instanceId =
            MonitorIdentity::instanceId(MonitorIdentity::modelCode(edid), unsigned(i));
        if (!edid.empty())
            device.hardwareKeyValues.push_back({"EDID", edid});
        devices.push_back(std::move(device));
    }
    return !m_outputs.empty();
}

bool KdeBackend::monitorClassDevices(std::vector<MonitorClassDevice>& devices)
{
    rescan();
    readSysfs();
    devices.clear();
    for (const KdeOutputDevice::State& output : m_outputs) {
        const std::string model = MonitorIdentity::modelCode(edidOf(output));
        if (model.empty())
            continue;
        std::optional<std::string> version;
        const auto card = m_cards.find(output.name);
        if (card != m_cards.end()) {
            auto known = m_driverVersions.find(card->second);
            if (known == m_driverVersions.end())
                known = m_driverVersions
                            .emplace(card->second, SysfsReader::driverVersion(
                                                       m_sysfsRoot, m_deviceRoot, card->second))
                            .first;
            version = known->second;
        }
        devices.push_back({MonitorIdentity::hardwareId(model), version});
    }
    return !m_outputs.empty();
}
