// The attended tests on simulated desks: which displays the procedural tests
// accept, where the windows land, and a resolution changed in mid-run.

#include "autotests/support/RecordingHost.h"
#include "autotests/support/WindowSpy.h"
#include "autotests/tests/OneDisplayDesk.h"
#include "display/DisplayInterfaceComponent.h"
#include "display/DisplayMode.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/sim/DeskLoader.h"
#include "module/Keys.h"
#include "module/TestResult.h"
#include "tests/ColorTransitionTest.h"
#include "tests/MonochromaticMeshTest.h"
#include "tests/SharpnessTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {
const SettingsMap QuickWindows = {{"CSAT", {{"CSAT_TEST_TIMEOUT", "0"}}}};

// Installs the example desk of that name for the lifetime of the object.
struct ExampleDesk
{
    explicit ExampleDesk(const std::string& name)
    {
        const char* root = std::getenv("MODULE_DISPLAY_SOURCE_DIR");
        std::string error;
        auto backend = DeskLoader::loadFile(
            std::string(root ? root : ".") + "/examples/desks/" + name + ".json", &error);
        EXPECT_TRUE(backend) << error;
        if (backend)
            DisplayPlatform::install(std::move(backend));
        manager.refresh();
    }
    ~ExampleDesk() { DisplayPlatform::reset(); }

    DisplayInterfaceComponentManagerWindows manager{ItemId(9, 0, 0)};
};
} // namespace

TEST(ProceduralCheckOnDesks, ExampleDesks)
{
    const struct
    {
        const char* desk;
        std::vector<bool> supported; // per component, in discovery order
    } rows[] = {
        {"office", {true, false}},            // digital panel, analog monitor
        {"portrait", {true}},                 // turned panel runs 1080x1920
        {"projector-no-edid", {true, false}}, // the projector gives no EDID
        {"wall-16", std::vector<bool>(16, true)},
    };
    MonochromaticMeshTest mesh(ItemId(9, 1, 7));
    SharpnessTest sharpness(ItemId(9, 1, 9));
    ColorTransitionTest ramps(ItemId(9, 1, 6));
    for (const auto& row : rows) {
        ExampleDesk desk(row.desk);
        ASSERT_EQ(desk.manager.componentCount(), row.supported.size()) << row.desk;
        for (uint32_t i = 0; i < row.supported.size(); ++i) {
            SystemComponent* component = desk.manager.componentAt(i);
            EXPECT_EQ(mesh.supportsComponent(component), row.supported[i]) << row.desk << i;
            EXPECT_EQ(sharpness.supportsComponent(component), row.supported[i]) << row.desk << i;
            EXPECT_TRUE(ramps.supportsComponent(component));
        }
    }
    // Every display of a clone group is judged on its own EDID and mode.
    ExampleDesk clone("clone");
    ASSERT_GE(clone.manager.componentCount(), 2u);
    for (uint32_t i = 0; i < clone.manager.componentCount(); ++i)
        EXPECT_TRUE(mesh.supportsComponent(clone.manager.componentAt(i))) << i;
}

TEST(ProceduralCheckOnDesks, DigitalPanelAtItsNativeResolutionOnly)
{
    const std::string& key = Keys::
        THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED;
    const struct
    {
        const char* name;
        std::function<void(OneDisplayDesk&)> shape;
        bool supported;
    } rows[] = {
        {"native", [](OneDisplayDesk&) {}, true},
        {"turned", [](OneDisplayDesk& d) { d.runs(1080, 1920); }, true},
        {"analog",
         [](OneDisplayDesk& d) { d.panel.withEdid(EdidBlock().set(20, 0x08).fixChecksum().bytes); },
         false},
        {"bad checksum", [](OneDisplayDesk& d) { d.panel.withEdid(EdidBlock().set(127, 0).bytes); },
         false},
        {"other mode", [](OneDisplayDesk& d) { d.runs(1280, 1024); }, false},
        {"square", [](OneDisplayDesk& d) { d.runs(1080, 1080); }, false},
        {"no EDID", [](OneDisplayDesk& d) { d.panel.withoutEdid(); }, false},
        {"no mode", [](OneDisplayDesk& d) { d.panel.withoutCurrentMode(); }, false},
    };
    for (const auto& row : rows) {
        OneDisplayDesk desk;
        row.shape(desk);
        SystemComponent* display = desk.start();
        MonochromaticMeshTest mesh(ItemId(9, 1, 7));
        mesh.configure(QuickWindows, nullptr);
        EXPECT_EQ(mesh.supportsComponent(display), row.supported) << row.name;
        RecordingHost host(display);
        host.answer(1).runWindow().answer(3);
        EXPECT_EQ(mesh.run(&host), row.supported ? Passed : NotPerformed) << row.name;
        if (!row.supported) {
            EXPECT_EQ(host.messages(), std::vector<std::string>{key}) << row.name;
            EXPECT_TRUE(host.requests().empty()) << row.name;
        }
    }
    EXPECT_FALSE(MonochromaticMeshTest(ItemId(9, 1, 7)).supportsComponent(nullptr));
}

TEST(ProceduralCheckOnDesks, WindowsCoverTheirDisplay)
{
    ExampleDesk desk("office");
    ASSERT_EQ(desk.manager.componentCount(), 2u);
    WindowSpy spy;
    MonochromaticMeshTest mesh(ItemId(9, 1, 7));
    ColorTransitionTest ramps(ItemId(9, 1, 6));
    mesh.configure(QuickWindows, nullptr);
    ramps.configure(QuickWindows, nullptr);

    RecordingHost panel(desk.manager.componentAt(0));
    panel.setEventFilter(&spy);
    panel.answer(1).runWindow().answer(3);
    EXPECT_EQ(mesh.run(&panel), Passed);

    RecordingHost monitor(desk.manager.componentAt(1));
    monitor.setEventFilter(&spy);
    monitor.answer(1).runWindow().answer(4);
    EXPECT_EQ(ramps.run(&monitor), Failed);

    ASSERT_EQ(spy.shown.size(), 2u);
    EXPECT_EQ(spy.shown[0].geometry, QRect(0, 0, 1920, 1080));
    EXPECT_EQ(spy.shown[1].geometry, QRect(1920, 0, 1280, 1024));
}

TEST(ProceduralCheckOnDesks, ResolutionChangedDuringTheRunAbortsIt)
{
    OneDisplayDesk desk;
    desk.panel.mode(1280, 1024);
    auto* display = dynamic_cast<DisplayInterfaceComponent*>(desk.start());
    ASSERT_NE(display, nullptr);

    SharpnessTest sharpness(ItemId(9, 1, 9));
    sharpness.configure(QuickWindows, nullptr);
    WindowSpy spy;
    RecordingHost host(display);
    host.setEventFilter(&spy);
    host.answer(1).runWindow().answer(3, [display](RecordingHost&) {
        std::vector<DisplayMode*> modes;
        ASSERT_EQ(display->modes(modes), 0);
        for (DisplayMode* mode : modes) {
            if (mode->width() == 1280) {
                EXPECT_EQ(mode->apply(), 0);
            }
        }
    });
    EXPECT_EQ(sharpness.run(&host), Aborted);
    EXPECT_TRUE(host.messages().empty());
    EXPECT_EQ(host.countProgress(100), 1);
    EXPECT_EQ(host.progressTexts().back(), "");
    EXPECT_EQ(
        sharpness.reason(),
        Keys::
            THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED);
    // The pattern was shown at the resolution the run started with.
    ASSERT_EQ(spy.shown.size(), 1u);
    EXPECT_EQ(spy.shown[0].geometry, QRect(0, 0, 1920, 1080));
}
