#include "display/platform/gnome/DisplayConfigLayout.h"
#include "display/platform/gnome/DisplayConfigAssignments.h"
#include "display/platform/gnome/DisplayConfigWatcher.h"
#include "display/platform/gnome/GnomeBackend.h"

#include <gtest/gtest.h>

namespace {
DisplayConfigMode mode(int width, int height, double hertz, bool current)
{
    DisplayConfigMode mode;
    mode.id = QStringLiteral("%1x%2@%3").arg(width).arg(height).arg(hertz);
    mode.width = width;
    mode.height = height;
    mode.refreshRate = hertz;
    mode.supportedScales = {1.0, 2.0};
    mode.properties["is-current"] = current;
    return mode;
}

DisplayConfigMonitor monitor(const QString& connector)
{
    DisplayConfigMonitor monitor;
    monitor.monitorId = {connector, "VND", "Panel", "1"};
    // The compositor's rates are exact: 59.9402 shows as 59.94, counts as 60.
    monitor.modes = {mode(1920, 1080, 59.9402, true), mode(1280, 720, 60, false)};
    monitor.modes[0].properties["is-preferred"] = true;
    return monitor;
}

// One monitor at 100,50 under the given transform, scale and layout mode.
DisplayConfigState single(uint32_t transform, double scale, uint32_t layoutMode)
{
    DisplayConfigState state;
    state.monitors = {monitor("DP-1")};
    state.logicalMonitors = {{100, 50, scale, transform, true, {state.monitors[0].monitorId}, {}}};
    state.properties["layout-mode"] = layoutMode;
    return state;
}

std::string text(const Rect& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// "DP-1 100,50 1080x1920 primary 59.94 | 1080x1920@59.94 current preferred | 720x1280@60"
std::string text(const OutputView& view)
{
    const auto hertz = [](const std::optional<double>& hz) {
        return hz ? QString::number(*hz).toStdString() : std::string("?");
    };
    std::string out = view.connector + " " + std::to_string(view.x) + "," + std::to_string(view.y) +
                      " " + std::to_string(view.width) + "x" + std::to_string(view.height) +
                      (view.scale != 1 ? " scale " + QString::number(view.scale).toStdString() +
                                             " logical " + std::to_string(view.logicalWidth) + "x" +
                                             std::to_string(view.logicalHeight)
                                       : std::string()) +
                      (view.primary ? " primary " : " ") + hertz(view.refreshHz);
    for (const OutputMode& mode : view.modes)
        out += " | " + std::to_string(mode.width) + "x" + std::to_string(mode.height) + "@" +
               hertz(mode.refreshHz) + (mode.current ? " current" : "") +
               (mode.preferred.value_or(false) ? " preferred" : "");
    return out;
}

std::string text(const ModeRecord& m)
{
    return std::to_string(m.width) + "x" + std::to_string(m.height) + "@" +
           std::to_string(m.frequency);
}

// "0,0 s1 DP-1=1920x1080@60 HDMI-1=1920x1080@60 | 1920,0 s2 DP-2=1280x720@60"
std::string text(const DisplayConfigAssignments::List& assignments)
{
    std::string out;
    for (const DisplayConfigLogicalMonitorAssignment& region : assignments) {
        out += (out.empty() ? "" : " | ") + std::to_string(region.x) + "," +
               std::to_string(region.y) + " s" + QString::number(region.scale).toStdString();
        for (const DisplayConfigMonitorAssignment& monitor : region.monitors)
            out += " " + (monitor.connector + "=" + monitor.modeId).toStdString();
    }
    return out;
}

// Monitors side by side (or stacked) in the logical layout, each in a region
// of its own at the given scale, running the first of its modes.
DisplayConfigState desk(const std::vector<std::tuple<QString, int, int, double>>& regions)
{
    DisplayConfigState state;
    state.properties["layout-mode"] = 1u;
    for (const auto& [connector, x, y, scale] : regions) {
        DisplayConfigMonitor added = monitor(connector);
        added.modes = {mode(1280, 720, 60, true), mode(1920, 1080, 60, false),
                       mode(1920, 1080, 59.94, false)};
        added.modes[2].supportedScales = {1.0, 1.25};
        state.monitors.append(added);
        state.logicalMonitors.append(
            {x, y, scale, 0, state.logicalMonitors.isEmpty(), {added.monitorId}, {}});
    }
    return state;
}

OutputSnapshot snapshotOf(const DisplayConfigState& state)
{
    return OutputSnapshot(DisplayConfigLayout::outputsOf(state), nullptr);
}

std::vector<std::string> attachedTo(const OutputSnapshot& outputs, const std::string& adapter)
{
    std::vector<std::string> names;
    DisplayDevice device;
    for (uint32_t i = 0; outputs.attachedDevice(adapter, i, device); ++i)
        names.push_back(device.deviceString);
    return names;
}
} // namespace

// Turned transforms swap every mode and the rectangle; the scale divides the
// rectangle only in the logical layout, never the modes.
TEST(DisplayConfigLayout, TransformsAndScalesGiveRectanglesAndModes)
{
    // transform, scale, layout mode; rectangle, current mode, second mode
    const std::tuple<uint32_t, double, uint32_t, const char*, const char*, const char*> rows[] = {
        {0, 1, 2, "100,50 1920x1080", "1920x1080@60", "1280x720@60"},
        {1, 1, 2, "100,50 1080x1920", "1080x1920@60", "720x1280@60"},
        {2, 1, 2, "100,50 1920x1080", "1920x1080@60", "1280x720@60"},
        {3, 1, 2, "100,50 1080x1920", "1080x1920@60", "720x1280@60"},
        {4, 1, 2, "100,50 1920x1080", "1920x1080@60", "1280x720@60"},
        {5, 1, 2, "100,50 1080x1920", "1080x1920@60", "720x1280@60"},
        {6, 1, 2, "100,50 1920x1080", "1920x1080@60", "1280x720@60"},
        {7, 1, 2, "100,50 1080x1920", "1080x1920@60", "720x1280@60"},
        {0, 2, 2, "100,50 1920x1080", "1920x1080@60", "1280x720@60"},
        {0, 2, 1, "100,50 960x540", "1920x1080@60", "1280x720@60"},
        {0, 1.5, 1, "100,50 1280x720", "1920x1080@60", "1280x720@60"},
        // Fractional scales round as the compositor rounds its regions.
        {0, 1.1, 1, "100,50 1745x982", "1920x1080@60", "1280x720@60"},
        {0, 1.2, 1, "100,50 1600x900", "1920x1080@60", "1280x720@60"},
        {0, 1.25, 1, "100,50 1536x864", "1920x1080@60", "1280x720@60"},
        {0, 1.75, 1, "100,50 1097x617", "1920x1080@60", "1280x720@60"},
        {1, 2, 1, "100,50 540x960", "1080x1920@60", "720x1280@60"},
    };
    for (const auto& [transform, scale, layoutMode, rect, current, second] : rows) {
        SCOPED_TRACE("transform " + std::to_string(transform) + " scale " + std::to_string(scale) +
                     " layout " + std::to_string(layoutMode));
        const OutputSnapshot outputs = snapshotOf(single(transform, scale, layoutMode));
        ASSERT_EQ(outputs.monitors().size(), 1u);
        MonitorInfo info;
        ASSERT_TRUE(outputs.monitorInfo(outputs.monitors().front(), info));
        EXPECT_EQ(text(info.rcMonitor), rect);
        ModeRecord mode;
        ASSERT_TRUE(outputs.mode("DP-1", DisplayBackend::CurrentSettings, mode));
        EXPECT_EQ(text(mode), current);
        ASSERT_TRUE(outputs.mode("DP-1", 1, mode));
        EXPECT_EQ(text(mode), second);
    }
}

// The platform view keeps the service's exact rates (to two decimals) and
// preferred flags, turns the modes like the module's list, takes the
// region's place and the current mode's device size with the region's
// scale; clones share the region but keep their connector; a monitor that
// is off has no view.
TEST(DisplayConfigLayout, PlatformViewOfEachMonitor)
{
    DisplayConfigState clones = single(0, 1, 2);
    clones.monitors.append(monitor("HDMI-1"));
    clones.monitors.append(monitor("DP-2"));
    clones.logicalMonitors[0].monitors.append(clones.monitors[1].monitorId);
    const std::tuple<const char*, DisplayConfigState, const char*, const char*, const char*>
        rows[] = {
            {"plain", single(0, 1, 2), "DP-1", "DP-1\\Monitor0",
             "DP-1 100,50 1920x1080 primary 59.94 | 1920x1080@59.94 current preferred | "
             "1280x720@60"},
            {"turned, logical scale 2", single(1, 2, 1), "DP-1", "DP-1\\Monitor0",
             "DP-1 100,50 1080x1920 scale 2 logical 540x960 primary 59.94 | 1080x1920@59.94 "
             "current preferred | 720x1280@60"},
            {"logical scale 1.5", single(0, 1.5, 1), "DP-1", "DP-1\\Monitor0",
             "DP-1 100,50 1920x1080 scale 1.5 logical 1280x720 primary 59.94 | 1920x1080@59.94 "
             "current preferred | 1280x720@60"},
            {"clone", clones, "DP-1", "DP-1\\Monitor1",
             "HDMI-1 100,50 1920x1080 primary 59.94 | 1920x1080@59.94 current preferred | "
             "1280x720@60"},
            {"off", clones, "DP-2", "DP-2\\Monitor0", "none"},
        };
    for (const auto& [what, state, connector, device, expected] : rows) {
        OutputView view;
        const bool found = snapshotOf(state).view(connector, device, view);
        EXPECT_EQ(found ? text(view) : "none", expected) << what;
    }
}

// Two monitors in one region are clones named after the first; a monitor in
// no region is off: no current mode, attached only to itself.
TEST(DisplayConfigLayout, ClonesShareARegionAndAMonitorOutsideIsOff)
{
    DisplayConfigState state;
    state.monitors = {monitor("HDMI-1"), monitor("DP-1"), monitor("DP-2")};
    state.logicalMonitors = {
        {0, 0, 1, 0, false, {state.monitors[1].monitorId, state.monitors[0].monitorId}, {}}};
    const OutputSnapshot outputs = snapshotOf(state);
    ASSERT_EQ(outputs.monitors().size(), 1u);
    MonitorInfo info;
    ASSERT_TRUE(outputs.monitorInfo(outputs.monitors().front(), info));
    EXPECT_EQ(info.device, "HDMI-1");
    EXPECT_EQ(info.flags, 0u);
    EXPECT_EQ(attachedTo(outputs, "DP-1"),
              (std::vector<std::string>{"Monitor on HDMI-1", "Monitor on DP-1"}));
    ModeRecord mode;
    EXPECT_FALSE(outputs.mode("DP-2", DisplayBackend::CurrentSettings, mode));
    EXPECT_TRUE(outputs.mode("DP-2", 1, mode));
    EXPECT_EQ(attachedTo(outputs, "DP-2"), std::vector<std::string>{"Monitor on DP-2"});
}

// A layout change gives the hosts' bits for what it did.
TEST(DisplayConfigLayout, LayoutChangesGiveSystemEventBits)
{
    const DisplayConfigState before = single(0, 1, 2);
    DisplayConfigState moved = before;
    moved.logicalMonitors[0].x = 0;
    DisplayConfigState turned = before;
    turned.logicalMonitors[0].transform = 1;
    DisplayConfigState added = before;
    added.monitors.append(monitor("DP-2"));
    added.logicalMonitors.append({2020, 50, 1, 0, false, {added.monitors[1].monitorId}, {}});
    const std::tuple<const char*, DisplayConfigState, DisplayConfigState, uint32_t> rows[] = {
        {"nothing", before, before, 0},
        {"moved", before, moved, DisplayBackend::DisplayReconfigured},
        {"turned", before, turned, DisplayBackend::DisplayReconfigured},
        {"added", before, added, DisplayBackend::DisplayAdded},
        {"removed", added, before, DisplayBackend::DisplayRemoved},
        {"all off", before, DisplayConfigState(), DisplayBackend::DisplayRemoved},
    };
    for (const auto& [what, from, to, bits] : rows)
        EXPECT_EQ(DisplayConfigWatcher::changesBetween(DisplayConfigWatcher::layoutOf(from),
                                                       DisplayConfigWatcher::layoutOf(to)),
                  bits)
            << what;
}

// A mode change keeps the layout one the compositor accepts: the monitors
// right of or below the changed one follow its new extent, a mirror takes
// its mode of the same size, and the scale stays when the new mode has it,
// else moves to the nearest it has.
TEST(DisplayConfigAssignments, AModeChangeKeepsTheLayoutValid)
{
    DisplayConfigState mirrored = desk({{"DP-1", 0, 0, 1}});
    DisplayConfigMonitor mirror = monitor("HDMI-1");
    mirror.modes = {mode(1280, 720, 60, true), mode(1920, 1080, 50, false),
                    mode(1920, 1080, 60.02, false)};
    mirrored.monitors.append(mirror);
    mirrored.logicalMonitors[0].monitors.append(mirror.monitorId);
    DisplayConfigState unmatched = mirrored;
    unmatched.monitors[1].modes.removeLast();
    unmatched.monitors[1].modes.removeLast();
    const std::tuple<const char*, DisplayConfigState, const char*, int, const char*> rows[] = {
        {"left monitor grows, its neighbour moves", desk({{"DP-1", 0, 0, 1}, {"DP-2", 1280, 0, 1}}),
         "DP-1", 1, "0,0 s1 DP-1=1920x1080@60 | 1920,0 s1 DP-2=1280x720@60"},
        {"top monitor grows, the one below moves", desk({{"DP-1", 0, 0, 1}, {"DP-2", 0, 720, 1}}),
         "DP-1", 1, "0,0 s1 DP-1=1920x1080@60 | 0,1080 s1 DP-2=1280x720@60"},
        {"right monitor grows, nothing moves", desk({{"DP-1", 0, 0, 1}, {"DP-2", 1280, 0, 1}}),
         "DP-2", 1, "0,0 s1 DP-1=1280x720@60 | 1280,0 s1 DP-2=1920x1080@60"},
        {"scale kept", desk({{"DP-1", 0, 0, 2}, {"DP-2", 640, 0, 1}}), "DP-1", 1,
         "0,0 s2 DP-1=1920x1080@60 | 960,0 s1 DP-2=1280x720@60"},
        {"scale moves to the nearest supported", desk({{"DP-1", 0, 0, 2}, {"DP-2", 640, 0, 1}}),
         "DP-1", 2, "0,0 s1.25 DP-1=1920x1080@59.94 | 1536,0 s1 DP-2=1280x720@60"},
        {"a mirrored pair changes together", mirrored, "DP-1", 1,
         "0,0 s1 DP-1=1920x1080@60 HDMI-1=1920x1080@60.02"},
        {"a mirror without the size", unmatched, "DP-1", 1,
         "HDMI-1 mirrors DP-1 and has no "
         "1920x1080 mode"},
    };
    for (const auto& [what, state, connector, index, expected] : rows) {
        std::string error;
        const auto assignments =
            DisplayConfigAssignments::withMode(state, connector, index, &error);
        EXPECT_EQ(assignments ? text(*assignments) : error, expected) << what;
    }
}

// Restoring brings back the first layout over the monitors there now: one
// gone is left out, one plugged in since stays on, right of the rest, as it
// runs now.
TEST(DisplayConfigAssignments, RestoreKeepsMonitorsPluggedInLate)
{
    const DisplayConfigState first = desk({{"DP-1", 0, 0, 1}, {"DP-2", 1280, 0, 1}});
    DisplayConfigState now = desk({{"DP-1", 0, 0, 1}, {"DP-3", 1920, 0, 1}});
    now.monitors[0].modes[0].properties["is-current"] = false;
    now.monitors[0].modes[1].properties["is-current"] = true;
    EXPECT_EQ(text(DisplayConfigAssignments::restored(first, now)),
              "0,0 s1 DP-1=1280x720@60 | 1280,0 s1 DP-3=1280x720@60");
    EXPECT_TRUE(DisplayConfigAssignments::same(DisplayConfigAssignments::restored(first, first),
                                               DisplayConfigAssignments::current(first)));
}
