#include "EdidSampleFile.h"
#include "FakeDrmTree.h"

#include "autotests/support/RecordingHost.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"
#include "display/DisplayMode.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/drm/DrmBackend.h"
#include "module/ItemId.h"
#include "module/Keys.h"
#include "tests/ResolutionFittingTest.h"

#include <gtest/gtest.h>

namespace {
const std::string Eizo = "Digital/Eizo/ENC2291/F367AC7049CD"; // 1920x1080
const std::string Dell = "Digital/Dell/DEL4237/BAFBF2EF0A62"; // 2560x1440

using Properties = std::vector<std::pair<std::string, std::string>>;

Properties propertiesOf(SystemComponent* component)
{
    Properties properties;
    for (const Property& property : component->info().properties)
        properties.emplace_back(property.key, property.value);
    return properties;
}
} // namespace

// The module's discovery over the kernel's view of a console: connected and
// enabled connectors become displays, with the EDID's properties; without
// the device node no current mode is known and nothing can be changed.
TEST(DrmDiscovery, ConnectorsBecomeDisplaysWithTheirEdidProperties)
{
    FakeDrmTree drm;
    drm.connector("card0-DP-1", "disconnected", false, {}, "");
    drm.connector("card0-DP-2", "connected", true, EdidSampleFile::bySource(Dell).full,
                  "1920x1080\n1280x720\n");
    drm.connector("card0-HDMI-A-1", "connected", false, EdidSampleFile::bySource(Eizo).full,
                  "1920x1080\n");
    drm.connector("card0-eDP-1", "connected", true, EdidSampleFile::bySource(Eizo).full,
                  "1920x1080\n1280x720\n");
    DisplayPlatform::install(std::make_unique<DrmBackend>(drm.sysfs(), drm.dev()));
    DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
    manager.refresh();

    ASSERT_EQ(manager.componentCount(), 2u);
    auto* first = dynamic_cast<DisplayInterfaceComponentWindows*>(manager.componentAt(0));
    auto* second = dynamic_cast<DisplayInterfaceComponentWindows*>(manager.componentAt(1));
    ASSERT_TRUE(first && second);
    Properties expected{{"UDI", "dpy1"}, {"DISPLAY_INDEX", "1"}};
    for (const auto& property : EdidSampleFile::bySource(Dell).properties)
        expected.push_back(property);
    EXPECT_EQ(propertiesOf(first), expected);
    EXPECT_EQ(second->componentId(), "dpy2");
    EXPECT_EQ(second->monitorLeft(), 1920); // laid out after the first

    // The Dell panel's 2560x1440 is not offered; the Eizo's 1920x1080 is.
    for (auto [component, conclusion] :
         {std::pair<SystemComponent*, std::string>{
              first, Keys::YOUR_SYSTEM_CANT_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY},
          {second, Keys::YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION}}) {
        ResolutionFittingTest test(ItemId(9, 1, 10));
        RecordingHost host(component);
        EXPECT_EQ(test.run(&host), 0u);
        EXPECT_EQ(host.messages(), std::vector<std::string>{conclusion});
    }

    DisplayMode* current = nullptr;
    EXPECT_EQ(first->currentMode(current), 1);
    std::vector<DisplayMode*> modes;
    ASSERT_EQ(first->modes(modes), 0);
    EXPECT_EQ(modes[0]->apply(), 2);
    EXPECT_TRUE(first->restoreDisplaySettings());
    DisplayPlatform::reset();
}
