#include "EdidSampleFile.h"
#include "XorgDesk.h"

#include "display/DisplayMode.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/x11/XRandrBackend.h"

#include <QRegularExpression>
#include <QStringList>

namespace {
// The first mode of the display with that resolution.
DisplayMode* listed(DisplayInterfaceComponent* component, const std::string& resolution)
{
    std::vector<DisplayMode*> modes;
    component->modes(modes);
    for (DisplayMode* mode : modes)
        if (std::string text; mode->resolutionText(text) == 0 && text == resolution)
            return mode;
    return nullptr;
}
} // namespace

TEST_F(XorgDesk, ACloneGivesTwoComponentsWithOneRectangle)
{
    ASSERT_EQ(run("xrandr --addmode DUMMY2 1280x1024 && xrandr --output DUMMY2 --mode 1280x1024"
                  " --same-as DUMMY1 && xrandr -q"),
              0);
    setProperty("DUMMY2", "EDID", EdidSampleFile::bySource(Dell).full);
    manager->refresh();
    ASSERT_EQ(manager->componentCount(), 3u);
    EXPECT_EQ(propertiesOf(display(2)), displayProperties("dpy3", "1280x1024", Dell));
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(std::make_pair(display(i)->monitorLeft(), display(i)->monitorTop()),
                  std::make_pair(i ? 1920 : 0, 0));
}

// The platform view of a clone: each display keeps its own output name and
// EDID on the shared CRTC, and the modes, refresh rates and marks are what
// xrandr shows for that output (rates to two decimals, * current, + preferred).
TEST_F(XorgDesk, EachDisplayOfACloneHasItsOwnOutputInThePlatformView)
{
    ASSERT_EQ(run("xrandr --addmode DUMMY2 1280x1024 && xrandr --output DUMMY2 --mode 1280x1024"
                  " --same-as DUMMY1"),
              0);
    setProperty("DUMMY2", "EDID", EdidSampleFile::bySource(Dell).full);
    manager->refresh();
    std::string text;
    ASSERT_EQ(run("xrandr -q", &text), 0);
    const QStringList sections =
        QString::fromStdString(text).split(QRegularExpression(R"(\n(?=\S))"), Qt::SkipEmptyParts);
    const std::pair<const char*, std::string> rows[] = {
        {"DUMMY0", Eizo}, {"DUMMY1", BenQ}, {"DUMMY2", Dell}};
    for (size_t i = 0; i < 3; ++i) {
        const auto& [connector, source] = rows[i];
        SCOPED_TRACE(connector);
        OutputView view;
        ASSERT_TRUE(DisplayPlatform::describe("dpy" + std::to_string(i + 1), view));
        EXPECT_EQ(view.connector, connector);
        EXPECT_EQ(std::make_tuple(view.x, view.y, view.primary),
                  std::make_tuple(i ? 1920 : 0, 0, i == 0));
        EXPECT_EQ(view.edid, EdidSampleFile::bySource(source).full);
        ASSERT_FALSE(view.modes.empty());
        // xrandr's mode lines: "   1280x1024     60.02*+  75.02", one rate per mode.
        QStringList expected, shown;
        for (const QString& section : sections) {
            if (!section.startsWith(QString(connector) + " "))
                continue;
            for (const QString& line : section.split('\n').mid(1)) {
                const QStringList words = line.simplified().split(' ');
                for (const QString& rate : words.mid(1))
                    expected << words[0] + " " + QString(rate).remove(' ');
            }
        }
        for (const OutputMode& mode : view.modes) {
            ASSERT_TRUE(mode.refreshHz.has_value());
            shown << QString("%1x%2 %3%4%5")
                         .arg(mode.width)
                         .arg(mode.height)
                         .arg(*mode.refreshHz, 0, 'f', 2)
                         .arg(mode.current ? "*" : "")
                         .arg(mode.preferred.value_or(false) ? "+" : "");
            if (mode.current) {
                EXPECT_EQ(view.refreshHz, mode.refreshHz);
            }
        }
        expected.sort();
        shown.sort();
        EXPECT_EQ(shown.join(", ").toStdString(), expected.join(", ").toStdString());
    }
}

// A malformed EDID property is no EDID: the display is a generic one.
TEST_F(XorgDesk, OnlyAWellFormedEdidPropertyNamesTheDisplay)
{
    const auto& edid = EdidSampleFile::bySource(BenQ).full;
    // Property, bytes, format, integer type, and whether it names the display.
    const std::tuple<const char*, size_t, int, bool, bool> rows[] = {
        {"EDID", 128, 32, true, false},
        {"EDID", 128, 8, false, false},
        {"EDID", 40, 8, true, false},
        {"EDID_DATA", 128, 8, true, true}};
    for (const auto& [property, bytes, format, integer, named] : rows) {
        SCOPED_TRACE(std::string(property) + " format " + std::to_string(format));
        setProperty("DUMMY1", "EDID", {});
        setProperty("DUMMY1", property, {edid.begin(), edid.begin() + bytes}, format, integer);
        manager->refresh();
        EXPECT_EQ(display(1)->info().name,
                  named ? EdidSampleFile::bySource(BenQ).componentName : "GENERIC_DISPLAY");
    }
}

// Restoring returns every output to the configuration the backend first
// saw: the one switched to another mode and the one turned off after the
// refresh, which a switch then finds off.
TEST_F(XorgDesk, ApplyAndAnOutputTurnedOffAfterRefreshAreRestored)
{
    DisplayMode* mode = listed(display(0), "1600x1200");
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->apply(), 0);
    // The screen grew for the taller mode.
    EXPECT_EQ(layout(), "3200x1200 DUMMY0 1600x1200+0+0 DUMMY1 1280x1024+1920+0");
    DisplayMode* current = nullptr;
    ASSERT_EQ(display(0)->currentMode(current), 0);
    EXPECT_TRUE(current->equals(mode));

    DisplayMode* other = listed(display(1), "1024x768");
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(run("xrandr --output DUMMY1 --off"), 0);
    setProperty("DUMMY1", "EDID", {});
    EXPECT_EQ(other->apply(), 2);
    EXPECT_EQ(layout(), "1600x1200 DUMMY0 1600x1200+0+0");

    EXPECT_FALSE(display(0)->restoreDisplaySettings() || display(1)->restoreDisplaySettings());
    EXPECT_EQ(layout(), "3200x1080 DUMMY0 1920x1080+0+0 DUMMY1 1280x1024+1920+0");
}

// A refused or failed switch leaves the outputs and the screen as they were.
TEST_F(XorgDesk, AFailedApplyChangesNothing)
{
    // What, the mode added to DUMMY1 before the refresh, the resolution to
    // apply, the command run after the refresh, and what apply gives.
    const std::tuple<const char*, const char*, const char*, const char*, int> rows[] = {
        {"taken off after listing (no notification, so the screen grows first)",
         "md-gone 90.00 1000 1040 1120 1300 1300 1301 1304 1370", "1000x1300",
         "xrandr --delmode DUMMY1 md-gone", 1},
        {"beyond the largest screen", "md-wide 173.00 1920 2048 2248 2576 1080 1083 1088 1120",
         "1920x1080", "xrandr --output DUMMY1 --mode 1280x1024 --pos 31000x0", 2},
    };
    for (const auto& [what, newMode, resolution, afterRefresh, result] : rows) {
        SCOPED_TRACE(what);
        ASSERT_EQ(run("xrandr --newmode " + std::string(newMode) + " && xrandr --addmode DUMMY1 " +
                      std::string(newMode, 7)),
                  0);
        manager->refresh();
        DisplayMode* mode = listed(display(1), resolution);
        ASSERT_NE(mode, nullptr);
        ASSERT_EQ(run(afterRefresh), 0);
        const std::string before = layout();
        EXPECT_EQ(mode->apply(), result);
        EXPECT_EQ(layout(), before);
    }
}

// A listing reads one layout: a change the server makes while the monitors
// are being enumerated shows from the next enumeration on, never halfway.
TEST_F(XorgDesk, AChangeDuringAListingShowsInTheNextOne)
{
    std::string error;
    auto backend = XRandrBackend::open(nullptr, &error);
    ASSERT_TRUE(backend) << error;
    const auto listing = [&](bool moveDuring) {
        std::vector<std::string> monitors;
        backend->enumDisplayMonitors([&](DisplayBackend::MonitorHandle handle) {
            if (moveDuring && monitors.empty()) {
                EXPECT_EQ(run("xrandr --output DUMMY1 --pos 0x1080"), 0);
            }
            MonitorInfo info;
            EXPECT_TRUE(backend->getMonitorInfo(handle, info));
            monitors.push_back(info.device + " " + std::to_string(info.rcMonitor.left) + "," +
                               std::to_string(info.rcMonitor.top));
            return true;
        });
        return monitors;
    };
    EXPECT_EQ(listing(true), (std::vector<std::string>{"DUMMY0 0,0", "DUMMY1 1920,0"}));
    EXPECT_EQ(listing(false), (std::vector<std::string>{"DUMMY0 0,0", "DUMMY1 0,1080"}));
}

// With a server that opens and no Wayland session, the default is RandR.
TEST_F(XorgDesk, TheDefaultChoiceIsX11)
{
    std::string reason;
    const auto chosen = DisplayPlatform::createDefault(&reason);
    EXPECT_TRUE(std::getenv("WAYLAND_DISPLAY") || chosen->name() == "x11") << reason;
}
