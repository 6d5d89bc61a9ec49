#include "autotests/display/DisplayTestSupport.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/DisplayInterfaceComponentWindows.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

// Each real EDID goes the whole way a host sees it: a desk with that
// monitor, the manager's refresh and the component's property list.
TEST(EdidSamplesPath, EveryRealSampleGivesItsPropertiesAndName)
{
    const std::vector<EdidSample> samples = loadEdidSamples();
    ASSERT_FALSE(samples.empty());
    for (const EdidSample& sample : samples) {
        SCOPED_TRACE(sample.source);
        SimulatedDesk desk;
        desk.display("DP-1").mode(1920, 1080).current(0).withEdid(sample.full).driver("6.1.0");
        InstalledDesk installed(desk);
        DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
        manager.refresh();
        ASSERT_EQ(manager.componentCount(), 1u);
        const ComponentInfo info = manager.componentAt(0)->info();

        std::vector<Property> expected = {
            {"UDI", "dpy1"}, {"DISPLAY_INDEX", "1"}, {"CURRENT_RESOLUTION", "1920x1080"}};
        for (const QJsonValue& pair : sample.expected.value("properties").toArray())
            expected.push_back(
                {latin1(pair.toArray()[0].toString()), latin1(pair.toArray()[1].toString())});
        expected.push_back({"DRIVER_VERSION", "6.1.0"});

        ASSERT_EQ(propertyKeys(info.properties), propertyKeys(expected));
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(info.properties[i].value, expected[i].value) << expected[i].key;
        EXPECT_EQ(info.name, latin1(sample.expected.value("component_name").toString()));
        const auto* component =
            dynamic_cast<DisplayInterfaceComponentWindows*>(manager.componentAt(0));
        EXPECT_EQ(
            DisplayInterfaceComponentWindows::modelCodeOf(component->displayDevice().deviceId),
            sample.expected.value("model_code").toString().toStdString());
    }
}

} // namespace
