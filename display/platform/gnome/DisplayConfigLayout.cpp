#include "display/platform/gnome/DisplayConfigLayout.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {
ModeRecord recordOf(const DisplayConfigMode& mode, bool sideways, uint64_t index)
{
    ModeRecord record;
    record.width = uint32_t(std::max(0, sideways ? mode.height : mode.width));
    record.height = uint32_t(std::max(0, sideways ? mode.width : mode.height));
    record.bitsPerPixel = DisplayConfigLayout::BitsPerPixel;
    // Whole hertz, as the other backends round: 59.94 is 60.
    record.frequency = uint32_t(std::max(0L, std::lround(mode.refreshRate)));
    record.nativeId = index;
    return record;
}

OutputMode shownOf(const DisplayConfigMode& mode, const ModeRecord& record, bool current)
{
    OutputMode shown;
    shown.width = record.width;
    shown.height = record.height;
    if (mode.refreshRate > 0)
        shown.refreshHz = OutputView::roundedHz(mode.refreshRate);
    shown.current = current;
    shown.preferred = mode.isPreferred();
    return shown;
}
} // namespace

DisplayConfigLayout::DisplayConfigLayout(const DisplayConfigState& state)
{
    for (const DisplayConfigMonitor& source : state.monitors) {
        Monitor monitor;
        monitor.connector = source.monitorId.connector.toStdString();
        monitor.identity = QStringList({source.monitorId.connector, source.monitorId.vendor,
                                        source.monitorId.product, source.monitorId.serial})
                               .join(QChar('/'))
                               .toStdString();
        monitor.region = state.logicalMonitorOf(source.monitorId.connector);
        const bool sideways =
            monitor.region >= 0 && state.logicalMonitors[monitor.region].isSideways();
        for (int i = 0; i < source.modes.size(); ++i) {
            monitor.modes.push_back(recordOf(source.modes[i], sideways, uint64_t(i)));
            const bool current = source.modes[i].isCurrent() && monitor.region >= 0;
            if (current)
                monitor.current = monitor.modes.back();
            monitor.viewModes.push_back(shownOf(source.modes[i], monitor.modes.back(), current));
        }
        m_monitors.push_back(std::move(monitor));
    }
    for (const Monitor& monitor : m_monitors)
        if (monitor.region >= 0 &&
            std::find(m_regions.begin(), m_regions.end(), monitor.region) == m_regions.end())
            m_regions.push_back(monitor.region);

    for (int region = 0; region < state.logicalMonitors.size(); ++region) {
        const DisplayConfigLogicalMonitor& logical = state.logicalMonitors[region];
        double width = 0;
        double height = 0;
        for (const Monitor& monitor : m_monitors) {
            if (monitor.region == region && monitor.current) {
                width = monitor.current->width;
                height = monitor.current->height;
                break;
            }
        }
        // In the logical layout a region is measured in scaled pixels.
        if (state.isLogicalLayout() && logical.scale > 0) {
            width /= logical.scale;
            height /= logical.scale;
        }
        m_rects.push_back({logical.x, logical.y, logical.x + int32_t(std::lround(width)),
                           logical.y + int32_t(std::lround(height))});
        m_primary.push_back(logical.primary);
        m_scales.push_back(logical.scale > 0 ? logical.scale : 1.0);
    }
}

const DisplayConfigLayout::Monitor* DisplayConfigLayout::find(const std::string& connector) const
{
    for (const Monitor& monitor : m_monitors)
        if (monitor.connector == connector)
            return &monitor;
    return nullptr;
}

Rect DisplayConfigLayout::rectOf(int region) const
{
    return region >= 0 && size_t(region) < m_rects.size() ? m_rects[size_t(region)] : Rect();
}

std::string DisplayConfigLayout::nameOf(int region) const
{
    for (const Monitor& monitor : m_monitors)
        if (monitor.region == region)
            return monitor.connector;
    return {};
}

bool DisplayConfigLayout::isPrimary(int region) const
{
    return region >= 0 && size_t(region) < m_primary.size() && m_primary[size_t(region)];
}

OutputView DisplayConfigLayout::viewOf(const Monitor& monitor) const
{
    OutputView view;
    view.connector = monitor.connector;
    const Rect rect = rectOf(monitor.region);
    view.x = rect.left;
    view.y = rect.top;
    view.width = uint32_t(std::max(0, rect.right - rect.left));
    view.height = uint32_t(std::max(0, rect.bottom - rect.top));
    view.primary = isPrimary(monitor.region);
    // The compositor scales the region's windows; the monitor shows the
    // current mode's device pixels.
    const double scale = monitor.region >= 0 && size_t(monitor.region) < m_scales.size()
                             ? m_scales[monitor.region]
                             : 1;
    if (monitor.current && scale != 1.0) {
        view.width = monitor.current->width;
        view.height = monitor.current->height;
        view.scale = scale;
        view.logicalWidth = uint32_t(std::lround(view.width / scale));
        view.logicalHeight = uint32_t(std::lround(view.height / scale));
    }
    view.modes = monitor.viewModes;
    for (const OutputMode& mode : view.modes)
        if (mode.current)
            view.refreshHz = mode.refreshHz;
    return view;
}

std::vector<const DisplayConfigLayout::Monitor*>
DisplayConfigLayout::attachedTo(const Monitor& adapter) const
{
    if (adapter.region < 0)
        return {&adapter};
    std::vector<const Monitor*> attached;
    for (const Monitor& monitor : m_monitors)
        if (monitor.region == adapter.region)
            attached.push_back(&monitor);
    return attached;
}
