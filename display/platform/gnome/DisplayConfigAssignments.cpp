#include "display/platform/gnome/DisplayConfigAssignments.h"

#include <QSet>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
using Assignment = DisplayConfigLogicalMonitorAssignment;

bool sameScale(double a, double b)
{
    return std::abs(a - b) < 1e-6;
}

const DisplayConfigMode* modeWithId(const DisplayConfigState& state, const QString& connector,
                                    const QString& id)
{
    const DisplayConfigMonitor* monitor = state.monitor(connector);
    if (!monitor)
        return nullptr;
    for (const DisplayConfigMode& mode : monitor->modes)
        if (mode.id == id)
            return &mode;
    return nullptr;
}

// The region's width and height on the desktop: its first monitor's mode,
// turned, divided by the scale in the logical layout, as the compositor
// rounds it.
std::pair<int64_t, int64_t> extentOf(const DisplayConfigState& state, const Assignment& region)
{
    if (region.monitors.isEmpty())
        return {0, 0};
    const DisplayConfigMode* mode =
        modeWithId(state, region.monitors.front().connector, region.monitors.front().modeId);
    if (!mode)
        return {0, 0};
    int64_t width = std::max(0, mode->width);
    int64_t height = std::max(0, mode->height);
    if (region.transform % 2 == 1)
        std::swap(width, height);
    if (state.isLogicalLayout() && region.scale > 0 && std::isfinite(region.scale)) {
        width = std::llround(double(width) / region.scale);
        height = std::llround(double(height) / region.scale);
    }
    return {width, height};
}

int32_t moved(int32_t place, int64_t by)
{
    return int32_t(std::clamp<int64_t>(int64_t(place) + by, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}
} // namespace

DisplayConfigAssignments::List DisplayConfigAssignments::current(const DisplayConfigState& state)
{
    List assignments;
    for (const DisplayConfigLogicalMonitor& logical : state.logicalMonitors) {
        Assignment assignment;
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

std::optional<DisplayConfigAssignments::List>
DisplayConfigAssignments::withMode(const DisplayConfigState& state, const QString& connector,
                                   int modeIndex, std::string* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why.toStdString();
        return std::nullopt;
    };
    const DisplayConfigMonitor* monitor = state.monitor(connector);
    if (!monitor || modeIndex < 0 || modeIndex >= monitor->modes.size())
        return fail(QStringLiteral("%1 does not list that mode").arg(connector));
    const DisplayConfigMode& chosen = monitor->modes[modeIndex];
    List assignments = current(state);
    auto region = std::find_if(assignments.begin(), assignments.end(), [&](const Assignment& a) {
        return std::any_of(a.monitors.begin(), a.monitors.end(),
                           [&](const auto& m) { return m.connector == connector; });
    });
    if (region == assignments.end())
        return fail(QStringLiteral("%1 is off").arg(connector));
    const std::pair<int64_t, int64_t> before = extentOf(state, *region);

    // A mirror shows the same picture: its mode of the same size, at the
    // rate nearest the chosen one.
    QList<const DisplayConfigMode*> modes;
    for (DisplayConfigMonitorAssignment& assigned : region->monitors) {
        const DisplayConfigMode* mode = nullptr;
        if (assigned.connector == connector) {
            mode = &chosen;
        } else if (const DisplayConfigMonitor* mirror = state.monitor(assigned.connector)) {
            for (const DisplayConfigMode& candidate : mirror->modes)
                if (candidate.width == chosen.width && candidate.height == chosen.height &&
                    (!mode || std::abs(candidate.refreshRate - chosen.refreshRate) <
                                  std::abs(mode->refreshRate - chosen.refreshRate)))
                    mode = &candidate;
        }
        if (!mode)
            return fail(QStringLiteral("%1 mirrors %2 and has no %3x%4 mode")
                            .arg(assigned.connector, connector)
                            .arg(chosen.width)
                            .arg(chosen.height));
        assigned.modeId = mode->id;
        modes.append(mode);
    }

    // The scale every new mode supports: the region's own, else the nearest.
    QList<double> scales = chosen.supportedScales;
    for (const DisplayConfigMode* mode : modes)
        scales.erase(std::remove_if(scales.begin(), scales.end(),
                                    [mode](double scale) {
                                        return std::none_of(
                                            mode->supportedScales.begin(),
                                            mode->supportedScales.end(),
                                            [scale](double s) { return sameScale(s, scale); });
                                    }),
                     scales.end());
    if (scales.isEmpty()) {
        region->scale = chosen.preferredScale;
    } else if (std::none_of(scales.begin(), scales.end(),
                            [&](double s) { return sameScale(s, region->scale); })) {
        const double wanted = region->scale;
        region->scale =
            *std::min_element(scales.begin(), scales.end(), [wanted](double a, double b) {
                return std::abs(a - wanted) < std::abs(b - wanted);
            });
    }

    // Neighbours right of and below the region follow its new extent.
    const std::pair<int64_t, int64_t> after = extentOf(state, *region);
    const int64_t right = int64_t(region->x) + before.first;
    const int64_t bottom = int64_t(region->y) + before.second;
    for (Assignment& other : assignments) {
        if (&other == &*region)
            continue;
        if (other.x >= right)
            other.x = moved(other.x, after.first - before.first);
        if (other.y >= bottom)
            other.y = moved(other.y, after.second - before.second);
    }
    return assignments;
}

DisplayConfigAssignments::List
DisplayConfigAssignments::restored(const DisplayConfigState& firstSeen,
                                   const DisplayConfigState& now)
{
    List wanted;
    QSet<QString> placed;
    for (Assignment region : current(firstSeen)) {
        // Gone since, or another monitor on the connector without that mode.
        region.monitors.erase(std::remove_if(region.monitors.begin(), region.monitors.end(),
                                             [&](const DisplayConfigMonitorAssignment& monitor) {
                                                 return !modeWithId(now, monitor.connector,
                                                                    monitor.modeId);
                                             }),
                              region.monitors.end());
        for (const DisplayConfigMonitorAssignment& monitor : region.monitors)
            placed.insert(monitor.connector);
        if (!region.monitors.isEmpty())
            wanted.append(region);
    }
    if (!std::any_of(wanted.begin(), wanted.end(), [](const Assignment& a) { return a.primary; }) &&
        !wanted.isEmpty())
        wanted.front().primary = true;

    int64_t right = 0;
    for (const Assignment& region : wanted)
        right = std::max(right, int64_t(region.x) + extentOf(now, region).first);
    // Plugged in since: as they are now, in a row right of the rest.
    for (Assignment region : current(now)) {
        region.monitors.erase(std::remove_if(region.monitors.begin(), region.monitors.end(),
                                             [&](const DisplayConfigMonitorAssignment& monitor) {
                                                 return placed.contains(monitor.connector) ||
                                                        firstSeen.monitor(monitor.connector);
                                             }),
                              region.monitors.end());
        if (region.monitors.isEmpty())
            continue;
        region.x = moved(0, right);
        region.y = 0;
        region.primary = wanted.isEmpty();
        right += extentOf(now, region).first;
        wanted.append(region);
    }
    return wanted;
}

bool DisplayConfigAssignments::same(const List& a, const List& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Assignment& x, const Assignment& y) {
                          if (x.x != y.x || x.y != y.y || !sameScale(x.scale, y.scale) ||
                              x.transform != y.transform || x.primary != y.primary ||
                              x.monitors.size() != y.monitors.size())
                              return false;
                          for (int i = 0; i < x.monitors.size(); ++i)
                              if (x.monitors[i].connector != y.monitors[i].connector ||
                                  x.monitors[i].modeId != y.monitors[i].modeId)
                                  return false;
                          return true;
                      });
}
