#include "display/platform/sim/DeskLoader.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string examplesDir()
{
    const char* source = std::getenv("MODULE_DISPLAY_SOURCE_DIR");
    return std::string(source ? source : ".") + "/examples/desks";
}

// Monitor handles the backend reports, and the active devices on each.
struct DeskShape
{
    size_t monitors = 0;
    size_t activeDevices = 0;
};

DeskShape shapeOf(SimulatedBackend& backend)
{
    DeskShape shape;
    backend.enumDisplayMonitors([&](DisplayBackend::MonitorHandle) {
        ++shape.monitors;
        return true;
    });
    DisplayDevice adapter;
    for (uint32_t i = 0; backend.enumDisplayDevices(nullptr, i, adapter); ++i) {
        DisplayDevice child;
        for (uint32_t j = 0; backend.enumDisplayDevices(adapter.deviceName.c_str(), j, child); ++j)
            shape.activeDevices += (child.stateFlags & DisplayDevice::Active) != 0;
    }
    return shape;
}

TEST(DeskLoader, LoadsEveryExampleDesk)
{
    const struct
    {
        const char* file;
        size_t monitors;
        size_t devices;
    } desks[] = {{"office.json", 2, 2},
                 {"portrait.json", 1, 1},
                 {"clone.json", 2, 3},
                 {"projector-no-edid.json", 2, 2},
                 {"wall-16.json", 16, 16}};
    for (const auto& desk : desks) {
        std::string error;
        auto backend = DeskLoader::loadFile(examplesDir() + "/" + desk.file, &error);
        ASSERT_TRUE(backend) << error;
        const DeskShape shape = shapeOf(*backend);
        EXPECT_EQ(shape.monitors, desk.monitors) << desk.file;
        EXPECT_EQ(shape.activeDevices, desk.devices) << desk.file;
    }
    EXPECT_EQ(QDir(QString::fromStdString(examplesDir())).entryList({"*.json"}).size(), 5);
}

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

    MonitorInfo info;
    ASSERT_TRUE(backend->getMonitorInfo(0x10001, info));
    EXPECT_EQ(info.rcMonitor.left, -1920);
    EXPECT_EQ(info.rcMonitor.bottom, 980);
    DisplayDevice first, second;
    ASSERT_TRUE(backend->enumDisplayDevices("DP-1", 0, first));
    ASSERT_TRUE(backend->enumDisplayDevices("DP-1", 1, second));
    EXPECT_EQ(first.stateFlags, DisplayDevice::Active | DisplayDevice::MirroringDriver);
    EXPECT_EQ(second.stateFlags, 0u);
    EXPECT_EQ(second.deviceId, "MONITOR");

    std::vector<MonitorDevice> present;
    ASSERT_TRUE(backend->presentMonitorDevices(present));
    ASSERT_EQ(present.size(), 2u);
    EXPECT_FALSE(present[0].keyOpens);
    EXPECT_EQ(present[0].hardwareKeyValues.back().data.size(), 10u);
    EXPECT_NE(present[1].instanceId.find("XYZ0001"), std::string::npos);
    EXPECT_EQ(present[1].hardwareKeyValues.size(), 1u);
    std::vector<MonitorClassDevice> classes;
    EXPECT_FALSE(backend->monitorClassDevices(classes));

    ModeRecord mode;
    ASSERT_TRUE(backend->enumDisplaySettings("DP-1", 1, mode));
    EXPECT_EQ(backend->changeDisplaySettings("DP-1", &mode), DisplayBackend::ChangeBadMode);
    EXPECT_EQ(backend->changeDisplaySettings("DP-1", nullptr), DisplayBackend::ChangeFailed);
}

struct BadDesk
{
    const char* text;
    std::vector<const char*> mentions; // parts the one error must name
};

TEST(DeskLoader, RejectsMalformedDesksWithOneClearError)
{
    const char* mode = R"({"width": 1, "height": 1, "bitsPerPixel": 32, "frequency": 60})";
    auto display = [&](const std::string& extra) {
        const bool positioned = extra.find("\"position\"") != std::string::npos;
        return std::string(R"({"displays": [{"output": "DP-1", "position": [0, 0], "modes": [)") +
               mode + "]}, {\"output\": \"HDMI-1\", \"modes\": []" +
               (positioned ? "" : ", \"position\": [1, 0]") + extra + "}]}";
    };
    const std::vector<std::pair<std::string, std::vector<const char*>>> cases = {
        {"{\"displays\": [\n  {\"output\": \"DP-1\",, }]}", {"bad.json:2:", "syntax"}},
        {"[]", {"bad.json", "\"displays\""}},
        {"{\"displays\": [{\"output\": \"A\",\n \"\\u006futput\": \"B\"}]}",
         {"bad.json:2:2", "\"output\" appears twice"}},
        {"{}", {"missing \"displays\""}},
        {R"({"displays": {}})", {"\"displays\" must be an array"}},
        {R"({"displays": [1]})", {"displays[0]", "must be an object"}},
        {R"({"displays": [{"position": [0, 0], "modes": []}]})", {"displays[0]", "\"output\""}},
        {R"({"displays": [{"output": "", "position": [0, 0], "modes": []}]})", {"empty"}},
        {R"({"displays": [{"output": "DP-1", "modes": []}]})", {"missing \"position\""}},
        {R"({"displays": [{"output": "DP-1", "position": [0, 0]}]})", {"missing \"modes\""}},
        {display(R"(, "edid": "00f")"), {"displays[1] (output \"HDMI-1\")", "odd number"}},
        {display(R"(, "edid": "00fg")"), {"displays[1]", "\"g\"", "hexadecimal"}},
        {display(R"(, "edid": 12)"), {"displays[1]", "\"edid\"", "a number"}},
        {display(R"(, "currentMode": 0)"), {"displays[1]", "\"currentMode\" is 0"}},
        {display(R"(, "position": [0])"), {"displays[1]", "\"position\""}},
        {display(R"(, "position": [0.5, 0])"), {"displays[1]", "position[0]", "integer"}},
        {display(R"(, "driverVersion": 6)"), {"displays[1]", "\"driverVersion\""}},
        {display(R"(, "active": "no")"), {"displays[1]", "\"active\"", "true or false"}},
        {display(R"(, "curentMode": 0)"), {"displays[1]", "unknown key \"curentMode\""}},
        {display(R"(, "registryValues": [{"data": "00"}])"), {"registryValues[0]", "\"name\""}},
        {R"({"displays": [{"output": "DP-1", "position": [0, 0], "modes": [{"width": -1,
             "height": 1, "bitsPerPixel": 32, "frequency": 60}]}]})",
         {"displays[0]", "modes[0]", "\"width\""}},
        {R"({"displays": [{"output": "DP-1", "position": [0, 0], "modes": [{"width": 1}]}]})",
         {"modes[0]", "missing \"height\""}},
        {R"({"displays": [{"output": "DP-1", "position": [0, 0], "modes": [{"width": 1,
             "height": 1, "bitsPerPixel": 32, "frequency": 60, "apply": "maybe"}]}]})",
         {"modes[0]", "\"apply\""}},
        {R"({"displays": [{"output": "DP-1", "position": [0, 0], "modes": []},
                          {"output": "DP-1", "position": [5, 0]}]})",
         {"displays[1]", "\"position\" differs from displays[0]"}},
        {R"({"displays": [], "failures": ["everything"]})", {"failures[0]", "\"everything\""}},
    };
    for (const auto& [text, mentions] : cases) {
        std::string error;
        EXPECT_EQ(DeskLoader::loadText(text, "bad.json", &error), nullptr) << text;
        EXPECT_EQ(error.rfind("bad.json", 0), 0u) << error;
        for (const char* part : mentions)
            EXPECT_NE(error.find(part), std::string::npos) << "'" << part << "' in: " << error;
    }
}

TEST(DeskLoader, NamesAFileItCannotRead)
{
    std::string error;
    EXPECT_EQ(DeskLoader::loadFile("/nonexistent/desk.json", &error), nullptr);
    EXPECT_NE(error.find("/nonexistent/desk.json"), std::string::npos);
    EXPECT_EQ(DeskLoader::loadText("{", "x", nullptr), nullptr);
}

} // namespace
