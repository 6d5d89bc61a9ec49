#include "display/platform/sim/DeskLoader.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/platform/DisplayPlatform.h"

#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Each shipped desk loads and shows its displays.
TEST(DeskLoader, LoadsEveryExampleDesk)
{
    const char* source = std::getenv("MODULE_DISPLAY_SOURCE_DIR");
    const std::pair<const char*, uint32_t> desks[] = {{"office.json", 2},
                                                      {"portrait.json", 1},
                                                      {"clone.json", 3},
                                                      {"projector-no-edid.json", 2},
                                                      {"wall-16.json", 16}};
    for (const auto& [file, displays] : desks) {
        std::string error;
        auto backend = DeskLoader::loadFile(
            std::string(source ? source : ".") + "/examples/desks/" + file, &error);
        ASSERT_TRUE(backend) << error;
        DisplayPlatform::install(std::move(backend));
        DisplayInterfaceComponentManagerWindows manager(ItemId(9, 0, 0));
        manager.refresh();
        EXPECT_EQ(manager.componentCount(), displays) << file;
        DisplayPlatform::reset();
    }
}

// The optional keys for the rarer cases reach the backend.
TEST(DeskLoader, DescribesRareCases)
{
    const std::string text = R"({
      "failures": ["classDevices"],
      "displays": [
        {"output": "DP-1", "position": [-1920, -100], "adapterName": "DP-1",
         "modes": [{"width": 1920, "height": 1080, "bitsPerPixel": 32, "frequency": 60},
                   {"width": 1280, "height": 720, "bitsPerPixel": 32, "frequency": 60,
                    "apply": "badmode"}],
         "currentMode": 0, "restoreFails": true, "mirroring": true,
         "edid": "00ffffffffffff00 0443", "present": true, "keyOpens": false},
        {"output": "DP-1", "active": false, "model": "XYZ0001", "deviceId": "MONITOR",
         "registryValues": [{"name": "OTHER", "data": "00ff"}], "comment": "clone"}
      ]})";
    std::string error;
    auto backend = DeskLoader::loadText(text, "rare.json", &error);
    ASSERT_TRUE(backend) << error;
    DisplayDevice first, second;
    ASSERT_TRUE(backend->enumDisplayDevices("DP-1", 0, first));
    ASSERT_TRUE(backend->enumDisplayDevices("DP-1", 1, second));
    EXPECT_EQ(first.stateFlags, DisplayDevice::Active | DisplayDevice::MirroringDriver);
    EXPECT_EQ(second.stateFlags, 0u);
    std::vector<MonitorDevice> present;
    ASSERT_TRUE(backend->presentMonitorDevices(present));
    ASSERT_EQ(present.size(), 2u);
    EXPECT_FALSE(present[0].keyOpens);
    EXPECT_NE(present[1].instanceId.find("XYZ0001"), std::string::npos);
    std::vector<MonitorClassDevice> classes;
    EXPECT_FALSE(backend->monitorClassDevices(classes));
    ModeRecord mode;
    ASSERT_TRUE(backend->enumDisplaySettings("DP-1", 1, mode));
    EXPECT_EQ(backend->changeDisplaySettings("DP-1", &mode), DisplayBackend::ChangeBadMode);
    // A depth and a rate of 0 mean any; other figures name no listed mode.
    ASSERT_TRUE(backend->enumDisplaySettings("DP-1", 0, mode));
    mode.bitsPerPixel = 0;
    mode.frequency = 0;
    EXPECT_EQ(backend->changeDisplaySettings("DP-1", &mode), DisplayBackend::ChangeSuccessful);
    mode.frequency = 75;
    EXPECT_EQ(backend->changeDisplaySettings("DP-1", &mode), DisplayBackend::ChangeBadMode);
}

// One case per kind of mistake; the one error starts with the file name and
// names the entry and what is wrong.
TEST(DeskLoader, RejectsMalformedDesksWithOneClearError)
{
    const std::string second = R"({"displays": [{"output": "DP-1", "position": [0, 0],
        "modes": []}, {"output": "HDMI-1", "position": [1, 0], "modes": [])";
    const std::pair<std::string, std::vector<const char*>> cases[] = {
        {"{\"displays\": [\n  {\"output\": \"DP-1\",, }]}", {"bad.json:2:", "syntax"}},
        {"{\"displays\": [{\"output\": \"A\",\n \"\\u006futput\": \"B\"}]}",
         {"bad.json:2:2", "\"output\" appears twice"}},
        // Malformed strings never reach Qt's parser.
        {"{\"displays\": [{\"output\": \"A\\0\"}]}", {"bad.json:1:29", "invalid escape"}},
        {"{\"displays\": [{\"output\": \"\xC3(\"}]}", {"bad.json:1:27:", "invalid UTF-8"}},
        {"{\"displays\": [{\"output\": \"\\ud800\"}]}", {"bad.json:1", "lone surrogate"}},
        {R"({"displays": [{"output": "DP-1", "modes": []}]})",
         {"displays[0]", "missing \"position\""}},
        {second + R"(, "edid": "00f"}]})", {"displays[1] (output \"HDMI-1\")", "odd number"}},
        {second + R"(, "edid": "00fg"}]})", {"displays[1]", "\"g\"", "hexadecimal"}},
        {second + R"(, "edid": 12}]})", {"displays[1]", "\"edid\"", "a number"}},
        {second + R"(, "currentMode": 0}]})", {"displays[1]", "\"currentMode\" is 0"}},
        {second + R"(, "curentMode": 0}]})", {"displays[1]", "unknown key \"curentMode\""}},
        {R"({"displays": [{"output": "DP-1", "position": [0, 0], "modes": [{"width": 1}]}]})",
         {"displays[0]", "modes[0]", "missing \"height\""}},
        {R"({"displays": [{"output": "DP-1", "position": [0, 0], "modes": []},
                          {"output": "DP-1", "position": [5, 0]}]})",
         {"displays[1]", "\"position\" differs from displays[0]"}},
        // A repeated key is refused where it is given again, not resolved.
        {"{\"displays\": [{\"output\": \"DP-1\",\n   \"position\": [0, 0], \"position\": [1, 1]}]}",
         {"bad.json:2:24:", "key \"position\" appears twice"}},
        // Invalid UTF-8 is reported at the first byte of the bad character.
        {"{\"displays\": [{\"output\": \"\xC0\xAF\"}]}", {"bad.json:1:27:", "invalid UTF-8"}},
        {"{\"displays\": [{\"output\": \"\xED\xA0\x80\"}]}", {"bad.json:1:27:", "invalid UTF-8"}},
        {"{\"displays\": [{\"output\": \"\xC3\xA9\x80\"}]}", {"bad.json:1:29:", "invalid UTF-8"}},
        {"{\"displays\": [{\"output\": \"\xE2\x82", {"bad.json:1:27:", "invalid UTF-8"}},
        {"{\"displays\": [{\"output\": \"\\udc00\"}]}", {"bad.json:1", "lone surrogate"}},
        {"{\"displays\": [{\"output\": \"\\ud800\\u0041\"}]}", {"bad.json:1", "lone surrogate"}},
        {"{\"displays\": [{\"output\": \"DP-1\",", {"bad.json:1:33:", "unterminated object"}},
        {"{\"displays\": [", {"bad.json:1:15:", "unterminated array"}},
        // Nesting bombs stop at the first level too deep.
        {std::string(100000, '['), {"bad.json:1:17:", "nesting deeper than 16 levels"}},
        {[] {
             std::string bomb;
             for (int i = 0; i < 50000; ++i)
                 bomb += "{\"displays\":";
             return bomb;
         }(),
         {"bad.json:1:193:", "nesting deeper than 16 levels"}},
    };
    std::string error;
    for (const auto& [text, mentions] : cases) {
        EXPECT_EQ(DeskLoader::loadText(text, "bad.json", &error), nullptr) << text;
        EXPECT_EQ(error.rfind("bad.json", 0), 0u) << error;
        // The error never echoes the input's invalid bytes.
        EXPECT_EQ(QString::fromStdString(error).toStdString(), error);
        for (const char* part : mentions)
            EXPECT_NE(error.find(part), std::string::npos) << "'" << part << "' in: " << error;
    }
    EXPECT_EQ(DeskLoader::loadFile("/nonexistent/desk.json", &error), nullptr);
    EXPECT_NE(error.find("/nonexistent/desk.json"), std::string::npos);
}

} // namespace
