#include "host/runtime/JsonReport.h"
#include "host/runtime/ModuleCatalogue.h"
#include "host/runtime/ModuleLoader.h"
#include "host/runtime/ScriptedRequestHandler.h"
#include "host/runtime/SettingsLoader.h"
#include "host/runtime/SystemEventMonitor.h"
#include "host/runtime/TestRunner.h"
#include "module/ProductVersion.h"
#include "tests/InputRequest.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
std::string fakeModulePath()
{
    return qEnvironmentVariable("HOST_FAKE_MODULE").toStdString();
}

QJsonObject parseObject(const std::string& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << text;
    return document.object();
}
} // namespace

TEST(SettingsLoader, ReadsSectionsAndKeysExactly)
{
    SettingsMap settings;
    std::string error;
    ASSERT_TRUE(SettingsLoader::parse("\xEF\xBB\xBF; comment\n"
                                      "[CSAT]\n"
                                      "CSAT_TEST_TIMEOUT = 20\r\n"
                                      "  csat_test_timeout=lower\n"
                                      "# another comment\n"
                                      "CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY_TEST=\"7\"\n"
                                      "[Other Section]\n"
                                      "Key.With/Odd=chars = and more\n"
                                      "Empty=\n",
                                      "t.ini", settings, &error))
        << error;
    EXPECT_EQ(settings["CSAT"]["CSAT_TEST_TIMEOUT"], "20");
    EXPECT_EQ(settings["CSAT"]["csat_test_timeout"], "lower");
    EXPECT_EQ(settings["CSAT"]["CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY_TEST"], "7");
    EXPECT_EQ(settings["Other Section"]["Key.With/Odd"], "chars = and more");
    EXPECT_EQ(settings["Other Section"]["Empty"], "");

    ASSERT_TRUE(SettingsLoader::assign("CSAT.CSAT_TEST_TIMEOUT=3", settings, &error));
    ASSERT_TRUE(SettingsLoader::assign("NEW.KEY.DOTTED=a=b", settings, &error));
    EXPECT_EQ(settings["CSAT"]["CSAT_TEST_TIMEOUT"], "3");
    EXPECT_EQ(settings["NEW"]["KEY.DOTTED"], "a=b");
}

TEST(SettingsLoader, RejectsMalformedInputWithOneSentenceAndKeepsTheMap)
{
    const struct
    {
        const char* text;
        const char* expected;
    } rows[] = {
        {"KEY=1\n", "the key KEY outside any section on line 1"},
        {"[CSAT\nA=1\n", "a section header without a closing bracket on line 1"},
        {"[CSAT]\nA=1\njust words\n", "neither a section nor KEY=VALUE on line 3"},
        {"[CSAT]\n=5\n", "a value without a key on line 2"},
        {"[ ]\n", "a section without a name on line 1"},
    };
    for (const auto& row : rows) {
        SettingsMap settings{{"KEEP", {{"K", "V"}}}};
        std::string error;
        EXPECT_FALSE(SettingsLoader::parse(row.text, "bad.ini", settings, &error)) << row.text;
        EXPECT_NE(error.find(row.expected), std::string::npos) << error;
        EXPECT_NE(error.find("bad.ini"), std::string::npos) << error;
        EXPECT_EQ(settings, (SettingsMap{{"KEEP", {{"K", "V"}}}}));
    }
    SettingsMap settings;
    std::string error;
    EXPECT_FALSE(SettingsLoader::loadFile("/nonexistent/x.ini", settings, &error));
    EXPECT_NE(error.find("/nonexistent/x.ini"), std::string::npos);
    for (const char* assignment : {"CSAT_TEST_TIMEOUT=5", "CSAT.KEY", ".KEY=1", "CSAT.=1"}) {
        EXPECT_FALSE(SettingsLoader::assign(assignment, settings, &error)) << assignment;
        EXPECT_NE(error.find(assignment), std::string::npos) << error;
    }
}

TEST(JsonReport, EveryByteMapsBackExactly)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    const std::string document = "{\"v\": " + JsonReport::quoted(bytes) + "}";
    for (char c : document)
        ASSERT_FALSE(static_cast<unsigned char>(c) < 0x20) << "raw control byte in output";
    const QString value = parseObject(document)["v"].toString();
    ASSERT_EQ(value.size(), 256);
    EXPECT_EQ(value.toLatin1().toStdString(), bytes);
}

TEST(ScriptedRequestHandler, ParsesAnswerListsAndTimeouts)
{
    std::deque<uint32_t> answers;
    std::string error;
    ASSERT_TRUE(
        ScriptedRequestHandler::parseAnswers("continue, yes,no,cancel,,7", answers, &error));
    EXPECT_EQ(answers, (std::deque<uint32_t>{1, 3, 4, 0, 7}));
    for (const char* bad : {"maybe", "continue,-1", "99999999999", "1x"}) {
        EXPECT_FALSE(ScriptedRequestHandler::parseAnswers(bad, answers, &error)) << bad;
        EXPECT_NE(error.find("continue, cancel, yes, no"), std::string::npos);
    }

    const SettingsMap settings{{"CSAT",
                                {{"CSAT_TEST_TIMEOUT", "20"},
                                 {"CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY_TEST", "7"},
                                 {"CSAT_TEST_TIMEOUT_DISPLAY_SHARPNESS_TEST", "-3"}}}};
    EXPECT_EQ(ScriptedRequestHandler::timeoutSeconds(settings, "DISPLAY_RED_PURITY_TEST"), 7);
    EXPECT_EQ(ScriptedRequestHandler::timeoutSeconds(settings, "DISPLAY_GREEN_PURITY_TEST"), 20);
    EXPECT_EQ(ScriptedRequestHandler::timeoutSeconds(settings, "DISPLAY_SHARPNESS_TEST"), 0);
    EXPECT_EQ(ScriptedRequestHandler::timeoutSeconds({}, "DISPLAY_RED_PURITY_TEST"), 5);
    EXPECT_EQ(ScriptedRequestHandler::timeoutSeconds({{"OTHER", {{"CSAT_TEST_TIMEOUT", "9"}}}},
                                                     "DISPLAY_RED_PURITY_TEST"),
              5);
}

TEST(ModuleLoader, NamesTheFileAndTheMissingSymbol)
{
    std::string error;
    {
        ModuleLoader loader;
        EXPECT_FALSE(loader.load("/nonexistent/libmodule_display.so", &error));
        EXPECT_NE(error.find("/nonexistent/libmodule_display.so"), std::string::npos) << error;
    }
    {
        // A real library without the entry points.
        const std::string platform = qEnvironmentVariable("HOST_PLATFORM_LIBRARY").toStdString();
        ModuleLoader loader;
        EXPECT_FALSE(loader.load(platform, &error));
        EXPECT_NE(error.find(platform), std::string::npos) << error;
        EXPECT_NE(error.find("GetModuleInterfaceInstance"), std::string::npos) << error;
        EXPECT_FALSE(loader.isLoaded());
    }
    ModuleLoader loader;
    ASSERT_TRUE(loader.load(fakeModulePath(), &error)) << error;
    ProductVersion* version = loader.productVersion();
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->minor(), 2u);
    EXPECT_EQ(loader.instance(), loader.instance());
}

class FakeModuleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(loader.load(fakeModulePath(), &error)) << error;
        catalogue = std::make_unique<ModuleCatalogue>(loader.instance());
        ASSERT_EQ(catalogue->diagnostics().size(), 1u);
    }
    const std::vector<TestEntry>& tests() { return catalogue->diagnostics()[0].tests; }

    ModuleLoader loader;
    std::unique_ptr<ModuleCatalogue> catalogue;
};

TEST_F(FakeModuleTest, CatalogueReadsNamesThroughTheResource)
{
    EXPECT_EQ(catalogue->name(), "fake");
    const auto& diagnostic = catalogue->diagnostics()[0];
    EXPECT_EQ(diagnostic.shortName, "Q");
    EXPECT_EQ(diagnostic.longName, "quick");
    ASSERT_EQ(tests().size(), 4u);
    EXPECT_EQ(tests()[1].longName, "attended");
    EXPECT_EQ(tests()[1].nameKey, "FAKE_TEST_2");
    EXPECT_TRUE(tests()[1].attended);
    EXPECT_FALSE(tests()[0].attended);
    EXPECT_EQ(ModuleCatalogue::findTest(diagnostic, "s"), &tests()[2]);
    EXPECT_EQ(ModuleCatalogue::findTest(diagnostic, "strict"), &tests()[2]);
    EXPECT_EQ(ModuleCatalogue::findTest(diagnostic, "x"), nullptr);
}

TEST_F(FakeModuleTest, ConfigureErrorsNameTheSettingItsValueAndTheError)
{
    const struct
    {
        const char* value;
        const char* what;
    } rows[] = {{"abc", "invalid stoi argument"}, {"99999999999", "stoi argument out of range"}};
    for (const auto& row : rows) {
        const SettingsMap settings{
            {"CSAT", {{"CSAT_TEST_TIMEOUT", "5"}, {"FAKE_LIMIT", row.value}}}};
        std::string error;
        EXPECT_FALSE(ModuleCatalogue::configure(tests(), settings, &error));
        EXPECT_NE(error.find("CSAT.FAKE_LIMIT"), std::string::npos) << error;
        EXPECT_NE(error.find(row.value), std::string::npos) << error;
        EXPECT_NE(error.find(row.what), std::string::npos) << error;
        EXPECT_NE(error.find("strict"), std::string::npos) << error;
    }
    std::string error;
    EXPECT_TRUE(ModuleCatalogue::configure(tests(), {{"CSAT", {{"FAKE_LIMIT", "12"}}}}, &error));
}

namespace {
// Answers on the user-interface thread from a script and notes the thread.
class ScriptHandler : public RequestHandler
{
public:
    bool acceptsInput() const override { return true; }
    uint32_t answer(InputRequest& request, const Context& context) override
    {
        onUiThread = onUiThread && QThread::currentThread() == qApp->thread();
        asked.push_back(context.device + ":" + request.text);
        if (script.empty())
            return 0;
        const uint32_t code = script.front();
        script.pop_front();
        return code;
    }
    std::deque<uint32_t> script;
    std::vector<std::string> asked;
    bool onUiThread = true;
};
} // namespace

TEST_F(FakeModuleTest, RunnerRunsOnAWorkerAndAnswersOnTheUiThread)
{
    const std::vector<DeviceRecord> devices = catalogue->refresh();
    ASSERT_EQ(devices.size(), 2u);
    ScriptHandler handler;
    handler.script = {1, 3, 1, 4};
    SystemEventMonitor events;
    TestRunner runner(&handler, &events);
    std::vector<TestRunner::Job> jobs;
    for (const DeviceRecord& device : devices) {
        jobs.push_back({device.id, device.component, tests()[0]});
        jobs.push_back({device.id, device.component, tests()[1]});
    }
    ASSERT_TRUE(runner.start(jobs));
    EXPECT_FALSE(runner.start(jobs));
    runner.waitForFinished();

    const auto& records = runner.records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].device, "dpy1");
    EXPECT_EQ(records[0].result, 0u);
    EXPECT_EQ(records[1].result, 0u); // continue, yes
    EXPECT_EQ(records[2].result, 1u); // the passing test fails on dpy2
    EXPECT_EQ(records[3].result, 1u); // continue, no
    EXPECT_EQ(records[3].messages, std::vector<std::string>{"FAKE_ATTENDED_FAILED"});
    ASSERT_EQ(records[0].progress.size(), 3u);
    EXPECT_EQ(records[0].progress[1].text, "FAKE_HALF_WAY");
    EXPECT_TRUE(handler.onUiThread);
    EXPECT_EQ(handler.asked, (std::vector<std::string>{"dpy1:FAKE_CONFIRM", "dpy1:FAKE_CHECK",
                                                       "dpy2:FAKE_CONFIRM", "dpy2:FAKE_CHECK"}));
}

TEST_F(FakeModuleTest, StopAndSystemEventsEndARunningTest)
{
    const std::vector<DeviceRecord> devices = catalogue->refresh();
    ScriptHandler handler;
    SystemEventMonitor events;
    TestRunner runner(&handler, &events);
    const TestEntry waiting = tests()[3];

    // A screen change while the test runs: the word carries its bit.
    events.raise(SystemEventMonitor::ScreenAdded); // cleared when the test starts
    runner.start({{"dpy1", devices[0].component, waiting}});
    QTimer::singleShot(300, [&]() { events.raise(SystemEventMonitor::ScreenGeometry); });
    runner.waitForFinished();
    ASSERT_EQ(runner.records().size(), 1u);
    EXPECT_EQ(runner.records()[0].result, 4u);
    EXPECT_EQ(events.value(), uint32_t(SystemEventMonitor::ScreenGeometry));

    // A stop ends the running test and starts no further one.
    runner.start(
        {{"dpy1", devices[0].component, waiting}, {"dpy2", devices[1].component, waiting}});
    QTimer::singleShot(300, [&]() { runner.requestStop(); });
    runner.waitForFinished();
    ASSERT_EQ(runner.records().size(), 1u);
    EXPECT_EQ(runner.records()[0].messages, std::vector<std::string>{"FAKE_STOPPED"});

    const uint32_t all = SystemEventMonitor::ScreenAdded | SystemEventMonitor::ScreenRemoved |
                         SystemEventMonitor::ScreenGeometry | SystemEventMonitor::SessionSleep |
                         SystemEventMonitor::SessionLocked | SystemEventMonitor::AppSuspended;
    EXPECT_EQ(all & ~0x1FBu, 0u) << "every event bit lies inside the module's mask";
}
