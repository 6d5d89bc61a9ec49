#include "EdidSampleFile.h"
#include "KwinDesk.h"

#include "display/DisplayModeWindows.h"
#include "display/platform/DisplayPlatform.h"

#include <QStringList>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
// Each display as the module sees it: output, rectangle, current mode with
// its refresh rate, the modes it lists, and whether it is the primary one.
std::string describe(DisplayInterfaceComponentWindows* display)
{
    const MonitorInfo& info = display->monitorInfo();
    std::string text = info.device + " " + std::to_string(info.rcMonitor.left) + "," +
                       std::to_string(info.rcMonitor.top) + " " +
                       std::to_string(info.rcMonitor.right - info.rcMonitor.left) + "x" +
                       std::to_string(info.rcMonitor.bottom - info.rcMonitor.top);
    ModeRecord current;
    if (DisplayPlatform::backend().enumDisplaySettings(info.device, DisplayBackend::CurrentSettings,
                                                       current))
        text += " " + std::to_string(current.width) + "x" + std::to_string(current.height) + "@" +
                std::to_string(current.frequency);
    std::vector<DisplayMode*> modes;
    display->modes(modes);
    text += " modes";
    for (DisplayMode* mode : modes) {
        std::string resolution;
        mode->resolutionText(resolution);
        text += " " + resolution;
    }
    return text + (info.flags & MonitorInfo::PrimaryMonitor ? " primary" : "");
}

std::string describeAll(DisplayInterfaceComponentManagerWindows& manager)
{
    std::string text;
    for (uint32_t i = 0; i < manager.componentCount(); ++i)
        text += (i ? " | " : "") +
                describe(dynamic_cast<DisplayInterfaceComponentWindows*>(manager.componentAt(i)));
    return text;
}

// Waits for the events the listening thread passes on.
uint32_t settle(const std::atomic<uint32_t>& events, uint32_t expected)
{
    for (int i = 0; i < 200 && events.load() != expected; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return events.load();
}
} // namespace

// Turned and scaled outputs: modes and current mode turned, the rectangle
// in the scaled coordinates Qt's Wayland screens use. A disabled output is
// no display and uses no number. kscreen-doctor reads the same desk.
TEST_F(KwinDesk, OutputsAreListedTurnedAndScaled)
{
    // What another client changes, how kscreen-doctor then shows the desk,
    // and how the module lists it.
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"", "Virtual-0 1920x1080+0+0 r1 s1, Virtual-1 1920x1080+1920+0 r1 s1",
         "Virtual-0 0,0 1920x1080 1920x1080@60 modes 1920x1080 primary"
         " | Virtual-1 1920,0 1920x1080 1920x1080@60 modes 1920x1080"},
        {"output.Virtual-1.rotation.left",
         "Virtual-0 1920x1080+0+0 r1 s1, Virtual-1 1080x1920+1920+0 r2 s1",
         "Virtual-0 0,0 1920x1080 1920x1080@60 modes 1920x1080 primary"
         " | Virtual-1 1920,0 1080x1920 1080x1920@60 modes 1080x1920"},
        {"output.Virtual-1.scale.1.5",
         "Virtual-0 1920x1080+0+0 r1 s1, Virtual-1 1920x1080+1920+0 r1 s1.5",
         "Virtual-0 0,0 1920x1080 1920x1080@60 modes 1920x1080 primary"
         " | Virtual-1 1920,0 1280x720 1920x1080@60 modes 1920x1080"},
        {"output.Virtual-1.rotation.right output.Virtual-1.scale.2 "
         "output.Virtual-1.position.0,1080",
         "Virtual-0 1920x1080+0+0 r1 s1, Virtual-1 1080x1920+0+1080 r8 s2",
         "Virtual-0 0,0 1920x1080 1920x1080@60 modes 1920x1080 primary"
         " | Virtual-1 0,1080 540x960 1080x1920@60 modes 1080x1920"},
        {"output.Virtual-0.disable", "Virtual-0 off, Virtual-1 1920x1080+0+0 r1 s1",
         "Virtual-1 0,0 1920x1080 1920x1080@60 modes 1920x1080 primary"},
    };
    for (const auto& [change, seen, listed] : rows) {
        SCOPED_TRACE(change);
        ASSERT_EQ(doctor(change), 0);
        EXPECT_EQ(layout(), seen);
        manager->refresh();
        EXPECT_EQ(describeAll(*manager), listed);
        reset();
    }
}

// apply answers 0 for a listed mode and 1 for one the output does not offer;
// restoring brings back the layout first seen, after another client's change.
TEST_F(KwinDesk, ApplyAndRestore)
{
    std::vector<DisplayMode*> modes;
    ASSERT_EQ(display(1)->modes(modes), 0);
    EXPECT_EQ(modes.front()->apply(), 0);
    const MonitorInfo& info = display(1)->monitorInfo();
    for (const ModeRecord& offered : {ModeRecord{1024, 768, 32, 60}, ModeRecord{1920, 1080, 32, 75},
                                      ModeRecord{1920, 1080, 16, 60}})
        EXPECT_EQ(DisplayModeWindows(info, offered).apply(), 1);
    EXPECT_EQ(layout(), InitialLayout);

    // Restoring one display restores the whole layout first seen.
    ASSERT_EQ(doctor("output.Virtual-1.rotation.left output.Virtual-1.scale.1.5"), 0);
    ASSERT_NE(layout(), InitialLayout);
    EXPECT_FALSE(display(0)->restoreDisplaySettings());
    EXPECT_EQ(layout(), InitialLayout);
    EXPECT_FALSE(display(1)->restoreDisplaySettings());
    EXPECT_EQ(layout(), InitialLayout);
}

// KWin refuses to disable its last output: restoring an output first seen
// disabled then fails, changes nothing and says why on the information
// channel --verbose shows.
TEST_F(KwinDesk, ARefusedConfigurationIsAFailure)
{
    static QStringList said;
    said.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtInfoMsg)
                said << text;
        });
    ASSERT_EQ(doctor("output.Virtual-1.disable"), 0);
    install();
    ASSERT_EQ(doctor("output.Virtual-1.enable"), 0);
    ASSERT_EQ(doctor("output.Virtual-0.disable"), 0);
    const std::string before = layout();
    ASSERT_EQ(before, "Virtual-0 off, Virtual-1 1920x1080+0+0 r1 s1");
    manager->refresh();
    ASSERT_EQ(manager->componentCount(), 1u);
    EXPECT_TRUE(display(0)->restoreDisplaySettings());
    qInstallMessageHandler(previous);
    EXPECT_EQ(layout(), before);
    EXPECT_EQ(DisplayPlatform::backend().lastChangeError(), "KWin refused the configuration");
    EXPECT_TRUE(said.contains("kde: KWin refused the configuration"))
        << said.join('|').toStdString();
}

// Another client's changes reach the hosts' system-event bits; this
// client's own changes do not.
TEST_F(KwinDesk, ChangesByOthersSetTheSystemEventBits)
{
    std::atomic<uint32_t> events{0};
    DisplayPlatform::setChangeCallback([&events](uint32_t bits) { events |= bits; });
    const std::pair<const char*, uint32_t> rows[] = {
        {"output.Virtual-1.scale.1.5", DisplayBackend::DisplayReconfigured},
        {"output.Virtual-1.rotation.inverted", DisplayBackend::DisplayReconfigured},
        {"output.Virtual-1.position.0,1080", DisplayBackend::DisplayReconfigured},
        {"output.Virtual-1.disable", DisplayBackend::DisplayRemoved},
        {"output.Virtual-1.enable", DisplayBackend::DisplayAdded},
    };
    for (const auto& [change, bits] : rows) {
        SCOPED_TRACE(change);
        events = 0;
        ASSERT_EQ(doctor(change), 0);
        EXPECT_EQ(settle(events, bits), bits);
    }
    events = 0;
    EXPECT_EQ(DisplayPlatform::backend().changeDisplaySettings("Virtual-1", nullptr),
              DisplayBackend::ChangeSuccessful);
    manager->refresh(); // a round trip: every event of the change has arrived
    EXPECT_EQ(events.load(), 0u);
    EXPECT_EQ(layout(), InitialLayout);
    DisplayPlatform::setChangeCallback({});
}

// Without an EDID from the compositor, the connector's EDID in sysfs names
// the display.
TEST_F(KwinDesk, TheEdidComesFromSysfsByConnectorName)
{
    install(sysfsWithEdid("Virtual-1", Eizo));
    ASSERT_EQ(manager->componentCount(), 2u);
    EXPECT_EQ(
        propertiesOf(display(0)),
        (Properties{{"UDI", "dpy1"}, {"DISPLAY_INDEX", "1"}, {"CURRENT_RESOLUTION", "1920x1080"}}));
    EXPECT_EQ(propertiesOf(display(1)), displayProperties("dpy2", "1920x1080", Eizo));

    // The hosts' platform view carries the same bytes, for that display only.
    const std::tuple<const char*, const char*, std::vector<uint8_t>> views[] = {
        {"dpy1", "Virtual-0", {}}, {"dpy2", "Virtual-1", EdidSampleFile::bySource(Eizo).full}};
    for (const auto& [id, connector, edid] : views) {
        OutputView view;
        ASSERT_TRUE(DisplayPlatform::describe(id, view)) << id;
        EXPECT_EQ(view.connector, connector);
        EXPECT_EQ(view.edid, edid) << id;
    }
}
