#include "display/platform/gnome/DisplayConfigLayout.h"
#include "display/platform/gnome/DisplayConfigClient.h"
#include "display/platform/gnome/DisplayConfigWatcher.h"
#include "display/platform/gnome/GnomeBackend.h"

#include <gtest/gtest.h>

#include <QDBusMetaType>

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
        {1, 2, 1, "100,50 540x960", "1080x1920@60", "720x1280@60"},
    };
    for (const auto& [transform, scale, layoutMode, rect, current, second] : rows) {
        SCOPED_TRACE("transform " + std::to_string(transform) + " scale " + std::to_string(scale) +
                     " layout " + std::to_string(layoutMode));
        const DisplayConfigLayout layout(single(transform, scale, layoutMode));
        ASSERT_EQ(layout.regions(), std::vector<int>{0});
        EXPECT_EQ(text(layout.rectOf(0)), rect);
        const DisplayConfigLayout::Monitor& monitor = layout.monitors().front();
        ASSERT_TRUE(monitor.current);
        EXPECT_EQ(text(*monitor.current), current);
        EXPECT_EQ(text(monitor.modes.at(1)), second);
    }
}

// The platform view keeps the service's exact rates (to two decimals) and
// preferred flags, turns the modes like the module's list, takes the
// region's place and the current mode's device size with the region's scale; clones share the
// region but keep their connector; a monitor that is off has no place, no current mode and no rate.
TEST(DisplayConfigLayout, PlatformViewOfEachMonitor)
{
    DisplayConfigState clones = single(0, 1, 2);
    clones.monitors.append(monitor("HDMI-1"));
    clones.monitors.append(monitor("DP-2"));
    clones.logicalMonitors[0].monitors.append(clones.monitors[1].monitorId);
    const std::tuple<const char*, DisplayConfigState, const char*, const char*> rows[] = {
        {"plain", single(0, 1, 2), "DP-1",
         "DP-1 100,50 1920x1080 primary 59.94 | 1920x1080@59.94 current preferred | 1280x720@60"},
        {"turned, logical scale 2", single(1, 2, 1), "DP-1",
         "DP-1 100,50 1080x1920 scale 2 logical 540x960 primary 59.94 | 1080x1920@59.94 current "
         "preferred | 720x1280@60"},
        {"logical scale 1.5", single(0, 1.5, 1), "DP-1",
         "DP-1 100,50 1920x1080 scale 1.5 logical 1280x720 primary 59.94 | 1920x1080@59.94 "
         "current preferred | 1280x720@60"},
        {"clone", clones, "HDMI-1",
         "HDMI-1 100,50 1920x1080 primary 59.94 | 1920x1080@59.94 current preferred | "
         "1280x720@60"},
        {"off", clones, "DP-2", "DP-2 0,0 0x0 ? | 1920x1080@59.94 preferred | 1280x720@60"},
    };
    for (const auto& [what, state, connector, expected] : rows) {
        const DisplayConfigLayout layout(state);
        const DisplayConfigLayout::Monitor* found = layout.find(connector);
        ASSERT_NE(found, nullptr) << what;
        EXPECT_EQ(text(layout.viewOf(*found)), expected) << what;
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
    const DisplayConfigLayout layout(state);
    EXPECT_EQ(layout.regions(), std::vector<int>{0});
    EXPECT_EQ(layout.nameOf(0), "HDMI-1");
    EXPECT_FALSE(layout.isPrimary(0));
    std::vector<std::string> clones;
    for (const auto* attached : layout.attachedTo(*layout.find("DP-1")))
        clones.push_back(attached->connector);
    EXPECT_EQ(clones, (std::vector<std::string>{"HDMI-1", "DP-1"}));
    const DisplayConfigLayout::Monitor* off = layout.find("DP-2");
    ASSERT_NE(off, nullptr);
    EXPECT_FALSE(off->current);
    EXPECT_EQ(off->modes.size(), 2u);
    EXPECT_EQ(layout.attachedTo(*off), std::vector<const DisplayConfigLayout::Monitor*>{off});
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

// The structures stream with the signatures of the service's interface.
TEST(DisplayConfigLayout, StructuresStreamWithTheServiceSignatures)
{
    DisplayConfigClient client; // registers the types
    const auto signature = [](const auto& value) {
        QDBusArgument argument;
        argument << value;
        return argument.currentSignature().toStdString();
    };
    EXPECT_EQ(signature(DisplayConfigMonitorSpec()), "(ssss)");
    EXPECT_EQ(signature(DisplayConfigMode()), "(siiddada{sv})");
    EXPECT_EQ(signature(DisplayConfigMonitor()), "((ssss)a(siiddada{sv})a{sv})");
    EXPECT_EQ(signature(DisplayConfigLogicalMonitor()), "(iiduba(ssss)a{sv})");
    EXPECT_EQ(signature(GnomeBackend::assignmentsOf(single(1, 2, 2))), "a(iiduba(ssa{sv}))");
}
