#include "EdidSampleFile.h"
#include "XServerSetup.h"

#include "autotests/support/RecordingHost.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"
#include "display/DisplayMode.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/x11/XRandrBackend.h"
#include "module/ItemId.h"
#include "module/Keys.h"
#include "tests/ResolutionFittingTest.h"

#include <gtest/gtest.h>

namespace {

const std::string Eizo = "Digital/Eizo/ENC2291/F367AC7049CD"; // 1920x1080
const std::string BenQ = "Digital/BenQ/BNQ76BE/82ED11E364D3"; // 1280x1024
const std::string Dell = "Digital/Dell/DEL4237/BAFBF2EF0A62"; // 2560x1440

using Properties = std::vector<std::pair<std::string, std::string>>;

// The module's own discovery on the dummy Xorg: the RandR backend installed
// as the platform, the component manager finding the displays.
class DiscoveryOnXorg : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!setup.isOpen())
            GTEST_SKIP() << "no X server (run through scripts/integration.sh)";
        setup.twoOutputs();
        ASSERT_TRUE(setup.setProperty("DUMMY0", "EDID", EdidSampleFile::bySource(Eizo).full));
        ASSERT_TRUE(setup.setProperty("DUMMY1", "EDID", EdidSampleFile::bySource(BenQ).full));
        install();
    }
    void TearDown() override
    {
        manager.reset();
        DisplayPlatform::reset();
        if (setup.isOpen())
            setup.twoOutputs();
    }
    void install()
    {
        std::string error;
        auto backend = XRandrBackend::open(nullptr, &error);
        ASSERT_TRUE(backend) << error;
        DisplayPlatform::install(std::move(backend));
        manager = std::make_unique<DisplayInterfaceComponentManagerWindows>(ItemId(9, 0, 0));
    }
    DisplayInterfaceComponentWindows* display(uint32_t index)
    {
        return dynamic_cast<DisplayInterfaceComponentWindows*>(manager->componentAt(index));
    }
    static Properties propertiesOf(SystemComponent* component)
    {
        Properties properties;
        for (const Property& property : component->info().properties)
            properties.emplace_back(property.key, property.value);
        return properties;
    }
    static Properties expected(const std::string& id, const std::string& resolution,
                               const std::string& source)
    {
        Properties properties{{"UDI", id}, {"DISPLAY_INDEX", id.substr(id.size() - 1)}};
        if (!resolution.empty())
            properties.emplace_back("CURRENT_RESOLUTION", resolution);
        for (const auto& property : EdidSampleFile::bySource(source).properties)
            properties.push_back(property);
        return properties;
    }
    DisplayMode* listedMode(DisplayInterfaceComponent* component, const std::string& resolution)
    {
        std::vector<DisplayMode*> modes;
        EXPECT_EQ(component->modes(modes), 0);
        for (DisplayMode* mode : modes) {
            std::string text;
            mode->resolutionText(text);
            if (text == resolution)
                return mode;
        }
        ADD_FAILURE() << "no mode " << resolution;
        return nullptr;
    }
    std::pair<uint32_t, std::vector<std::string>> fit(SystemComponent* component)
    {
        ResolutionFittingTest test(ItemId(9, 1, 10));
        RecordingHost host(component);
        const uint32_t result = test.run(&host);
        return {result, host.messages()};
    }

    XServerSetup setup;
    std::unique_ptr<DisplayInterfaceComponentManagerWindows> manager;
};

} // namespace

TEST_F(DiscoveryOnXorg, TwoOutputsGiveDpy1AndDpy2WithTheirProperties)
{
    EXPECT_TRUE(manager->hasDisplays());
    manager->refresh();
    ASSERT_EQ(manager->componentCount(), 2u);
    EXPECT_EQ(display(0)->componentId(), "dpy1");
    EXPECT_EQ(propertiesOf(display(0)), expected("dpy1", "1920x1080", Eizo));
    EXPECT_EQ(display(0)->info().name, EdidSampleFile::bySource(Eizo).componentName);
    EXPECT_EQ(display(0)->monitorLeft(), 0);
    EXPECT_EQ(display(0)->monitorTop(), 0);
    EXPECT_EQ(display(1)->componentId(), "dpy2");
    EXPECT_EQ(propertiesOf(display(1)), expected("dpy2", "1280x1024", BenQ));
    EXPECT_EQ(display(1)->monitorLeft(), 1920);
    EXPECT_EQ(display(1)->monitorTop(), 0);
    EXPECT_EQ(manager->componentAt(2), nullptr);
}

TEST_F(DiscoveryOnXorg, AnOutputWithoutEdidIsAGenericDisplay)
{
    setup.deleteProperty("DUMMY1", "EDID");
    manager->refresh();
    ASSERT_EQ(manager->componentCount(), 2u);
    EXPECT_EQ(
        propertiesOf(display(1)),
        (Properties{{"UDI", "dpy2"}, {"DISPLAY_INDEX", "2"}, {"CURRENT_RESOLUTION", "1280x1024"}}));
    EXPECT_EQ(display(1)->info().name, "GENERIC_DISPLAY");
}

TEST_F(DiscoveryOnXorg, ACloneGivesTwoComponentsWithOneRectangle)
{
    XServerSetup::run("xrandr --addmode DUMMY2 1280x1024");
    ASSERT_EQ(XServerSetup::run("xrandr --output DUMMY2 --mode 1280x1024 --same-as DUMMY1"), 0);
    XServerSetup::probe();
    ASSERT_TRUE(setup.setProperty("DUMMY2", "EDID", EdidSampleFile::bySource(Dell).full));
    manager->refresh();
    ASSERT_EQ(manager->componentCount(), 3u);
    EXPECT_EQ(display(1)->monitorLeft(), display(2)->monitorLeft());
    EXPECT_EQ(display(1)->monitorTop(), display(2)->monitorTop());
    EXPECT_EQ(propertiesOf(display(1)), expected("dpy2", "1280x1024", BenQ));
    EXPECT_EQ(propertiesOf(display(2)), expected("dpy3", "1280x1024", Dell));
}

TEST_F(DiscoveryOnXorg, ApplyChangesTheServersModeAndRestoreReturnsIt)
{
    manager->refresh();
    ASSERT_EQ(manager->componentCount(), 2u);
    DisplayMode* mode = listedMode(display(0), "1600x1200");
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->apply(), 0);
    EXPECT_EQ(XServerSetup::geometry("DUMMY0"), "1600x1200+0+0");
    DisplayMode* current = nullptr;
    ASSERT_EQ(display(0)->currentMode(current), 0);
    EXPECT_TRUE(current->equals(mode));

    EXPECT_FALSE(display(0)->restoreDisplaySettings());
    EXPECT_EQ(XServerSetup::geometry("DUMMY0"), "1920x1080+0+0");
    EXPECT_EQ(XServerSetup::screenSize(), std::make_pair(3200, 1080));
}

TEST_F(DiscoveryOnXorg, ApplyOfAModeTheOutputNoLongerListsGivesOne)
{
    XServerSetup::run("xrandr --newmode md-gone 60.00 1000 1040 1120 1300 700 701 704 770");
    ASSERT_EQ(XServerSetup::run("xrandr --addmode DUMMY1 md-gone"), 0);
    manager->refresh();
    DisplayMode* mode = listedMode(display(1), "1000x700");
    ASSERT_NE(mode, nullptr);
    ASSERT_EQ(XServerSetup::run("xrandr --delmode DUMMY1 md-gone"), 0);
    EXPECT_EQ(mode->apply(), 1);
    EXPECT_EQ(XServerSetup::geometry("DUMMY1"), "1280x1024+1920+0");
    XServerSetup::run("xrandr --rmmode md-gone");
}

TEST_F(DiscoveryOnXorg, AnOutputTurnedOffAfterRefreshEndsTheTestWithoutCrash)
{
    manager->refresh();
    ASSERT_EQ(manager->componentCount(), 2u);
    ASSERT_EQ(XServerSetup::run("xrandr --output DUMMY1 --off"), 0);
    setup.deleteProperty("DUMMY1", "EDID");
    // Nothing to read any more: the test ends in its internal-error answer.
    const auto result = fit(display(1));
    EXPECT_EQ(result.first, 4u);
    EXPECT_EQ(result.second, std::vector<std::string>{Keys::AN_INTERNAL_ERROR_OCCURRED});
    DisplayMode* current = nullptr;
    EXPECT_EQ(display(1)->currentMode(current), 1);
    // Restoring brings back the configuration the backend first saw.
    EXPECT_FALSE(display(1)->restoreDisplaySettings());
    EXPECT_EQ(XServerSetup::geometry("DUMMY1"), "1280x1024+1920+0");
}
