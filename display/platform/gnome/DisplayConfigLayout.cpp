#include "display/platform/gnome/DisplayConfigLayout.h"

#include <algorithm>
#include <cmath>

namespace {
OutputSnapshot::Mode modeOf(const DisplayConfigMode& mode, bool sideways)
{
    OutputSnapshot::Mode row;
    // The service may say anything: a negative size is no size.
    row.width = uint32_t(std::max(0, sideways ? mode.height : mode.width));
    row.height = uint32_t(std::max(0, sideways ? mode.width : mode.height));
    row.bitsPerPixel = DisplayConfigLayout::BitsPerPixel;
    if (std::isfinite(mode.refreshRate) && mode.refreshRate > 0 && mode.refreshRate < 4e6)
        row.refreshMilliHertz = uint32_t(std::lround(mode.refreshRate * 1000.0));
    row.preferred = mode.isPreferred();
    row.key = mode.id.toStdString();
    return row;
}

// Whole pixels of size at the region's scale, within what a rectangle holds.
int64_t scaled(uint32_t size, double scale)
{
    const double pixels = scale > 0 && std::isfinite(scale) ? size / scale : double(size);
    return std::llround(std::min(pixels, 2147483647.0));
}
} // namespace

std::vector<OutputSnapshot::Output> DisplayConfigLayout::outputsOf(const DisplayConfigState& state)
{
    std::vector<OutputSnapshot::Output> outputs;
    std::vector<std::string> shownIn(size_t(state.logicalMonitors.size()));
    for (const DisplayConfigMonitor& monitor : state.monitors) {
        const QString& connector = monitor.monitorId.connector;
        OutputSnapshot::Output output;
        output.adapter.deviceName = connector.toStdString();
        output.adapter.deviceString = "GNOME monitor " + output.adapter.deviceName;
        output.adapter.deviceId = "GNOME\\" + output.adapter.deviceName;
        output.connector = output.adapter.deviceName;
        const int region = state.logicalMonitorOf(connector);
        const DisplayConfigLogicalMonitor* logical =
            region >= 0 ? &state.logicalMonitors[region] : nullptr;
        for (int i = 0; i < monitor.modes.size(); ++i) {
            output.modes.push_back(modeOf(monitor.modes[i], logical && logical->isSideways()));
            if (logical && monitor.modes[i].isCurrent())
                output.current = size_t(i);
        }
        if (logical) {
            std::string& first = shownIn[size_t(region)];
            if (first.empty())
                first = output.adapter.deviceName;
            output.shownIn = first;
            output.primary = logical->primary;
            output.scale = logical->scale;
            if (logical->primary)
                output.adapter.stateFlags |= DisplayDevice::PrimaryDevice;
        }
        outputs.push_back(std::move(output));
    }

    // Each region's rectangle, on the output that shows it.
    const bool logicalLayout = state.isLogicalLayout();
    for (OutputSnapshot::Output& output : outputs) {
        if (output.shownIn != output.adapter.deviceName)
            continue;
        const int region = state.logicalMonitorOf(QString::fromStdString(output.shownIn));
        const DisplayConfigLogicalMonitor& logical = state.logicalMonitors[region];
        uint32_t width = 0;
        uint32_t height = 0;
        for (const OutputSnapshot::Output& member : outputs) {
            if (member.shownIn == output.shownIn && member.current) {
                width = member.modes[*member.current].width;
                height = member.modes[*member.current].height;
                break;
            }
        }
        const double scale = logicalLayout ? logical.scale : 1.0;
        output.rect = {logical.x, logical.y,
                       OutputSnapshot::clampedSum(logical.x, scaled(width, scale)),
                       OutputSnapshot::clampedSum(logical.y, scaled(height, scale))};
    }
    return outputs;
}
