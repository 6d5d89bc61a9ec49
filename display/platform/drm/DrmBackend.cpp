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

bool sameTiming(const drmModeModeInfo& a, const drmModeModeInfo& b)
{
    return a.clock == b.clock && a.hdisplay == b.hdisplay && a.hsync_start == b.hsync_start &&
           a.hsync_end == b.hsync_end && a.htotal == b.htotal && a.vdisplay == b.vdisplay &&
           a.vsync_start == b.vsync_start && a.vsync_end == b.vsync_end && a.vtotal == b.vtotal &&
           a.flags == b.flags;
}

OutputSnapshot::Mode modeOf(const drmModeModeInfo& mode, uint32_t bitsPerPixel)
{
    OutputSnapshot::Mode row;
    row.width = mode.hdisplay;
    row.height = mode.vdisplay;
    row.bitsPerPixel = bitsPerPixel;
    const double hertz = exactRefreshOf(mode);
    if (hertz > 0 && hertz < 4e6)
        row.refreshMilliHertz = uint32_t(std::lround(hertz * 1000.0));
    row.preferred = (mode.type & DRM_MODE_TYPE_PREFERRED) != 0;
    row.flags = mode.flags;
    return row;
}

} // namespace

DrmBackend::DrmBackend(std::string sysfsRoot, std::string deviceRoot)
    : SnapshotBackend(std::move(sysfsRoot), std::move(deviceRoot))
{}

size_t DrmBackend::connectorCount()
{
    return refresh()->outputs().size();
}

SnapshotBackend::Reading DrmBackend::readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                                                 const OperationDeadline&)
{
    std::vector<Connector> connectors;
    for (SysfsReader::Connector& found : SysfsReader::connectors(sysfsRoot())) {
        Connector connector;
        connector.sysfs = std::move(found);
        for (const std::string& name : connector.sysfs.modes) {
            OutputSnapshot::Mode mode;
            if (!SysfsReader::parseModeName(name, mode.width, mode.height))
                continue;
            mode.bitsPerPixel = DefaultBitsPerPixel;
            connector.modes.push_back(mode);
        }
        connectors.push_back(std::move(connector));
    }
    std::vector<std::string> cards;
    for (const Connector& connector : connectors)
        if (cards.empty() || cards.back() != connector.sysfs.card)
            cards.push_back(connector.sysfs.card);
    for (const std::string& card : cards)
        readDeviceNode(deviceRoot() + "/" + card, card, connectors);

    // Monitors the kernel does not place are laid out left to right.
    int32_t left = 0;
    for (const Connector& connector : connectors)
        if (connector.placed)
            left = std::max(left, connector.placed->right);
    for (Connector& connector : connectors) {
        const SysfsReader::Connector& sysfs = connector.sysfs;
        OutputSnapshot::Output output;
        output.adapter.deviceName = sysfs.name;
        output.adapter.deviceString = "DRM connector " + sysfs.name;
        output.adapter.deviceId = "DRM\\" + sysfs.name;
        // "card0-HDMI-A-1" is HDMI-A-1 of card0: the connector as the kernel names it.
        output.connector = sysfs.name.substr(std::min(sysfs.name.size(), sysfs.card.size() + 1));
        output.connected = sysfs.status == "connected";
        output.modes = std::move(connector.modes);
        output.current = sysfs.enabled ? connector.current : std::nullopt;
        output.edid = sysfs.edid;
        output.card = sysfs.card;
        if (output.connected && sysfs.enabled) {
            output.shownIn = sysfs.name;
            if (connector.placed) {
                output.rect = *connector.placed;
            } else {
                const OutputSnapshot::Mode* mode = connector.current
                                                       ? &output.modes[*connector.current]
                                                   : output.modes.empty() ? nullptr
                                                                          : &output.modes.front();
                const int64_t width = mode ? mode->width : 0;
                const int64_t height = mode ? mode->height : 0;
                output.rect = {left, 0, OutputSnapshot::clampedSum(left, width),
                               OutputSnapshot::clampedSum(0, height)};
                left = output.rect.right;
            }
            output.primary = output.rect.left == 0 && output.rect.top == 0;
        }
        outputs.push_back(std::move(output));
    }
    return Reading::Read;
}

// Adds what only the device node knows. Nothing is probed: the connector
// query that returns the kernel's current state is used.
void DrmBackend::readDeviceNode(const std::string& node, const std::string& card,
                                std::vector<Connector>& connectors)
{
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
            for (Connector& candidate : connectors)
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
                for (int m = 0; m < kernel->count_modes; ++m) {
                    connector->modes.push_back(modeOf(kernel->modes[m], bitsPerPixel));
                    if (running && !connector->current && sameTiming(kernel->modes[m], crtc->mode))
                        connector->current = connector->modes.size() - 1;
                }
            }
            if (running) {
                // A running mode the connector does not list is still its mode.
                if (!connector->current) {
                    connector->modes.push_back(modeOf(crtc->mode, bitsPerPixel));
                    connector->current = connector->modes.size() - 1;
                }
                connector->placed = Rect{
                    OutputSnapshot::clampedSum(0, crtc->x), OutputSnapshot::clampedSum(0, crtc->y),
                    OutputSnapshot::clampedSum(0, int64_t(crtc->x) + crtc->mode.hdisplay),
                    OutputSnapshot::clampedSum(0, int64_t(crtc->y) + crtc->mode.vdisplay)};
            }
            if (crtc)
                drmModeFreeCrtc(crtc);
            drmModeFreeConnector(kernel);
        }
        drmModeFreeResources(resources);
    }
    ::close(fd);
}

int32_t DrmBackend::changeDisplaySettings(const std::string&, const ModeRecord*)
{
    return ChangeFailed;
}
