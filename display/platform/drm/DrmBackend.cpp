#include "display/platform/drm/DrmBackend.h"

#include "display/platform/MonitorIdentity.h"

#include <xf86drm.h>
#include <xf86drmMode.h>

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr uint32_t DefaultBitsPerPixel = 32;

double exactRefreshOf(const drmModeModeInfo& mode)
{
    double lines = mode.vtotal;
    if (mode.flags & DRM_MODE_FLAG_DBLSCAN)
        lines *= 2;
    if (mode.flags & DRM_MODE_FLAG_INTERLACE)
        lines /= 2;
    if (mode.htotal == 0 || lines <= 0)
        return mode.vrefresh;
    return mode.clock * 1000.0 / (mode.htotal * lines);
}

uint32_t refreshOf(const drmModeModeInfo& mode)
{
    return uint32_t(std::lround(exactRefreshOf(mode)));
}

bool sameTiming(const drmModeModeInfo& a, const drmModeModeInfo& b)
{
    return a.clock == b.clock && a.hdisplay == b.hdisplay && a.hsync_start == b.hsync_start &&
           a.hsync_end == b.hsync_end && a.htotal == b.htotal && a.vdisplay == b.vdisplay &&
           a.vsync_start == b.vsync_start && a.vsync_end == b.vsync_end && a.vtotal == b.vtotal &&
           a.flags == b.flags;
}

ModeRecord recordOf(const drmModeModeInfo& mode, uint32_t bitsPerPixel, uint64_t id)
{
    ModeRecord record;
    record.width = mode.hdisplay;
    record.height = mode.vdisplay;
    record.bitsPerPixel = bitsPerPixel;
    record.frequency = refreshOf(mode);
    record.nativeId = id;
    record.flags = mode.flags;
    return record;
}

std::vector<uint8_t> edidOf(const SysfsReader::Connector& connector)
{
    // Shorter than a base block is no EDID at all.
    return connector.edid.size() >= 128 ? connector.edid : std::vector<uint8_t>();
}
} // namespace

DrmBackend::DrmBackend(std::string sysfsRoot, std::string deviceRoot)
    : m_sysfsRoot(std::move(sysfsRoot)), m_deviceRoot(std::move(deviceRoot))
{}

size_t DrmBackend::connectorCount()
{
    rescan();
    return m_connectors.size();
}

void DrmBackend::rescan()
{
    m_connectors.clear();
    for (SysfsReader::Connector& found : SysfsReader::connectors(m_sysfsRoot)) {
        Connector connector;
        connector.sysfs = std::move(found);
        for (size_t i = 0; i < connector.sysfs.modes.size(); ++i) {
            ModeRecord mode;
            if (!SysfsReader::parseModeName(connector.sysfs.modes[i], mode.width, mode.height))
                continue;
            mode.bitsPerPixel = DefaultBitsPerPixel;
            mode.nativeId = i;
            connector.modes.push_back(mode);
            OutputMode shown;
            shown.width = mode.width;
            shown.height = mode.height;
            connector.listed.push_back(shown);
        }
        m_connectors.push_back(std::move(connector));
    }
    std::vector<std::string> cards;
    for (const Connector& connector : m_connectors)
        if (cards.empty() || cards.back() != connector.sysfs.card)
            cards.push_back(connector.sysfs.card);
    for (const std::string& card : cards)
        readDeviceNode(card);

    // Monitors the kernel does not place are laid out left to right.
    int32_t left = 0;
    for (Connector& connector : m_connectors) {
        if (connector.placed) {
            connector.rect = *connector.placed;
            left = std::max(left, connector.rect.right);
        }
    }
    for (Connector& connector : m_connectors) {
        if (connector.placed || !isMonitor(connector))
            continue;
        const ModeRecord* mode = connector.current         ? &*connector.current
                                 : connector.modes.empty() ? nullptr
                                                           : &connector.modes.front();
        const int32_t width = mode ? int32_t(mode->width) : 0;
        const int32_t height = mode ? int32_t(mode->height) : 0;
        connector.rect = {left, 0, left + width, height};
        left += width;
    }
    m_scanned = true;
}

// Adds what only the device node knows. Nothing is probed: the connector
// query that returns the kernel's current state is used.
void DrmBackend::readDeviceNode(const std::string& card)
{
    const std::string node = m_deviceRoot + "/" + card;
    const int fd = ::open(node.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (drmModeResPtr resources = drmModeGetResources(fd)) {
        for (int i = 0; i < resources->count_connectors; ++i) {
            drmModeConnectorPtr kernel = drmModeGetConnectorCurrent(fd, resources->connectors[i]);
            if (!kernel)
                continue;
            const char* typeName = drmModeGetConnectorTypeName(kernel->connector_type);
            const std::string name = card + "-" + (typeName ? typeName : "Unknown") + "-" +
                                     std::to_string(kernel->connector_type_id);
            Connector* connector = nullptr;
            for (Connector& candidate : m_connectors)
                if (candidate.sysfs.name == name)
                    connector = &candidate;
            if (!connector) {
                drmModeFreeConnector(kernel);
                continue;
            }
            uint32_t bitsPerPixel = DefaultBitsPerPixel;
            drmModeCrtcPtr crtc = nullptr;
            if (drmModeEncoderPtr encoder =
                    kernel->encoder_id ? drmModeGetEncoder(fd, kernel->encoder_id) : nullptr) {
                if (encoder->crtc_id)
                    crtc = drmModeGetCrtc(fd, encoder->crtc_id);
                drmModeFreeEncoder(encoder);
            }
            if (crtc && crtc->buffer_id) {
                if (drmModeFBPtr fb = drmModeGetFB(fd, crtc->buffer_id)) {
                    bitsPerPixel = fb->bpp ? fb->bpp : bitsPerPixel;
                    drmModeFreeFB(fb);
                }
            }
            const bool running = crtc && crtc->mode_valid;
            if (kernel->count_modes > 0) {
                connector->modes.clear();
                connector->listed.clear();
                for (int m = 0; m < kernel->count_modes; ++m) {
                    const drmModeModeInfo& info = kernel->modes[m];
                    connector->modes.push_back(recordOf(info, bitsPerPixel, uint64_t(m)));
                    OutputMode shown;
                    shown.width = info.hdisplay;
                    shown.height = info.vdisplay;
                    shown.refreshHz = OutputView::roundedHz(exactRefreshOf(info));
                    shown.current = running && sameTiming(info, crtc->mode);
                    shown.preferred = (info.type & DRM_MODE_TYPE_PREFERRED) != 0;
                    connector->listed.push_back(shown);
                }
            }
            if (running) {
                connector->currentHz = OutputView::roundedHz(exactRefreshOf(crtc->mode));
                connector->current = recordOf(crtc->mode, bitsPerPixel, 0);
                connector->placed =
                    Rect{int32_t(crtc->x), int32_t(crtc->y), int32_t(crtc->x + crtc->mode.hdisplay),
                         int32_t(crtc->y + crtc->mode.vdisplay)};
            }
            if (crtc)
                drmModeFreeCrtc(crtc);
            drmModeFreeConnector(kernel);
        }
        drmModeFreeResources(resources);
    }
    ::close(fd);
}

const DrmBackend::Connector* DrmBackend::find(const std::string& name) const
{
    for (const Connector& connector : m_connectors)
        if (connector.sysfs.name == name)
            return &connector;
    return nullptr;
}

bool DrmBackend::isMonitor(const Connector& connector) const
{
    return connector.sysfs.status == "connected" && connector.sysfs.enabled;
}

const std::optional<std::string>& DrmBackend::driverVersion(const std::string& card)
{
    auto it = m_driverVersions.find(card);
    if (it == m_driverVersions.end())
        it = m_driverVersions
                 .emplace(card, SysfsReader::driverVersion(m_sysfsRoot, m_deviceRoot, card))
                 .first;
    return it->second;
}

bool DrmBackend::enumDisplayMonitors(const MonitorCallback& callback)
{
    rescan();
    std::vector<MonitorHandle> monitors;
    for (size_t i = 0; i < m_connectors.size(); ++i)
        if (isMonitor(m_connectors[i]))
            monitors.push_back(MonitorHandle(i + 1));
    for (MonitorHandle monitor : monitors)
        if (!callback(monitor))
            break;
    return true;
}

bool DrmBackend::getMonitorInfo(MonitorHandle monitor, MonitorInfo& info)
{
    if (!m_scanned)
        rescan();
    if (monitor == 0 || monitor > m_connectors.size() || !isMonitor(m_connectors[monitor - 1]))
        return false;
    const Connector& connector = m_connectors[monitor - 1];
    info.rcMonitor = connector.rect;
    info.rcWork = connector.rect;
    info.flags =
        connector.rect.left == 0 && connector.rect.top == 0 ? MonitorInfo::PrimaryMonitor : 0;
    info.device = connector.sysfs.name;
    return true;
}

bool DrmBackend::enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device)
{
    if (index == 0 || !m_scanned)
        rescan();
    if (!adapter) {
        if (index >= m_connectors.size())
            return false;
        const Connector& connector = m_connectors[index];
        device = {};
        device.deviceName = connector.sysfs.name;
        device.deviceString = "DRM connector " + connector.sysfs.name;
        device.stateFlags = isMonitor(connector) ? DisplayDevice::AttachedToDesktop : 0;
        device.deviceId = "DRM\\" + connector.sysfs.name;
        return true;
    }
    const Connector* connector = find(adapter);
    if (!connector || index > 0 || connector->sysfs.status != "connected")
        return false;
    device = {};
    device.deviceName = connector->sysfs.name + "\\Monitor0";
    device.deviceString = "Monitor on " + connector->sysfs.name;
    device.stateFlags = connector->sysfs.enabled ? DisplayDevice::Active : 0;
    device.deviceId =
        MonitorIdentity::deviceId(MonitorIdentity::modelCode(edidOf(connector->sysfs)),
                                  unsigned(connector - m_connectors.data()));
    return true;
}

bool DrmBackend::enumDisplaySettings(const std::string& output, int32_t modeIndex, ModeRecord& mode)
{
    if (modeIndex == CurrentSettings || modeIndex == 0 || !m_scanned)
        rescan();
    const Connector* connector = find(output);
    if (!connector)
        return false;
    if (modeIndex == CurrentSettings) {
        // Only the kernel knows which mode runs; sysfs alone does not say.
        if (!connector->current || !connector->sysfs.enabled)
            return false;
        mode = *connector->current;
        return true;
    }
    if (modeIndex < 0 || size_t(modeIndex) >= connector->modes.size())
        return false;
    mode = connector->modes[size_t(modeIndex)];
    return true;
}

bool DrmBackend::describeDevice(const std::string& output, const std::string& monitorDevice,
                                OutputView& view)
{
    rescan();
    const Connector* connector = find(output);
    if (!connector || monitorDevice != output + "\\Monitor0" || !isMonitor(*connector))
        return false;
    // "card0-HDMI-A-1" is HDMI-A-1 of card0: the connector as the kernel names it.
    const std::string& name = connector->sysfs.name;
    view.connector = name.substr(std::min(name.size(), connector->sysfs.card.size() + 1));
    view.x = connector->rect.left;
    view.y = connector->rect.top;
    view.width = uint32_t(std::max(0, connector->rect.right - connector->rect.left));
    view.height = uint32_t(std::max(0, connector->rect.bottom - connector->rect.top));
    view.primary = connector->rect.left == 0 && connector->rect.top == 0;
    view.refreshHz = connector->currentHz;
    view.modes = connector->listed;
    view.edid = connector->sysfs.edid;
    return true;
}

int32_t DrmBackend::changeDisplaySettings(const std::string&, const ModeRecord*)
{
    return ChangeFailed;
}

bool DrmBackend::presentMonitorDevices(std::vector<MonitorDevice>& devices)
{
    rescan();
    devices.clear();
    for (size_t i = 0; i < m_connectors.size(); ++i) {
        const Connector& connector = m_connectors[i];
        if (connector.sysfs.status != "connected")
            continue;
        const std::vector<uint8_t> edid = edidOf(connector.sysfs);
        MonitorDevice device;
        device.instanceId =
            MonitorIdentity::instanceId(MonitorIdentity::modelCode(edid), unsigned(i));
        if (!edid.empty())
            device.hardwareKeyValues.push_back({"EDID", edid});
        devices.push_back(std::move(device));
    }
    return true;
}

bool DrmBackend::monitorClassDevices(std::vector<MonitorClassDevice>& devices)
{
    rescan();
    devices.clear();
    for (const Connector& connector : m_connectors) {
        if (connector.sysfs.status != "connected")
            continue;
        const std::string model = MonitorIdentity::modelCode(edidOf(connector.sysfs));
        if (!model.empty())
            devices.push_back(
                {MonitorIdentity::hardwareId(model), driverVersion(connector.sysfs.card)});
    }
    return true;
}
