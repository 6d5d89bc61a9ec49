// A small module with the same exports and interfaces as the display module,
// for testing the hosts on behaviour the real module rarely shows: a test
// that fails, configure throwing, texts with arbitrary bytes, a test that
// only ends when stopped.
#include "display/SystemComponent.h"
#include "display/SystemComponentManager.h"
#include "module/Diagnostic.h"
#include "module/FeedbackChannel.h"
#include "module/MessageSink.h"
#include "module/ModuleInterface.h"
#include "module/ProductVersion.h"
#include "module/RunContext.h"
#include "module/Test.h"
#include "resource/Resource.h"
#include "tests/InputRequest.h"

#include <chrono>
#include <stdexcept>
#include <thread>

namespace {
constexpr uint16_t Module = 7;

class FakeResource : public Resource
{
public:
    FakeResource() : Resource(ItemId(Module, 0, 0))
    {
        m_name = "FAKE";
        m_code = "FK";
        m_helpText = "Fake Module help:\n\t\"quoted\" \\ tab\t\n\n";
        m_diagnosticNames[ItemId(Module, 1, 0)] = {"Q", "quick", 2};
        m_testNames[ItemId(Module, 1, 1)] = {"p", "passing", 2};
        m_testNames[ItemId(Module, 1, 2)] = {"a", "attended", 2};
        m_testNames[ItemId(Module, 1, 3)] = {"s", "strict", 2};
        m_testNames[ItemId(Module, 1, 4)] = {"w", "waiting", 2};
    }
    std::string diagnosticNameKey(const ItemId& id) override
    {
        return id == ItemId(Module, 1, 0) ? "FAKE_DIAGNOSTIC" : "";
    }
    std::string testNameKey(const ItemId& id) override
    {
        return id.diagnostic == 1 && id.test ? "FAKE_TEST_" + std::to_string(id.test) : "";
    }
    std::string diagnosticDescriptionKey(const ItemId&) override { return "FAKE_DESCRIPTION"; }
    std::string testDescriptionKey(const ItemId& id) override
    {
        return "FAKE_TEST_" + std::to_string(id.test) + "_DESCRIPTION";
    }
};

class FakeComponent : public SystemComponent
{
public:
    FakeComponent(const std::string& id, const std::string& name) : SystemComponent(id)
    {
        m_info.name = name;
        m_info.properties = {{"UDI", id}, {"MODEL_NAME", name}, {"INPUT_TYPE", "DIGITAL"}};
    }
    int32_t status(uint32_t) override { return 0; }
    bool isPresent(uint32_t) override { return true; }
    bool isEnabled(uint32_t) override { return true; }
    void enable(uint32_t) override {}
    bool isSupported(uint32_t) override { return true; }
    void setOption(uint32_t) override {}
};

class FakeManager : public SystemComponentManager
{
public:
    FakeManager() : SystemComponentManager(ItemId(Module, 0, 0)) {}
    ~FakeManager() override { clear(); }
    bool hasDisplays() override { return true; }
    SystemComponent* displayAt(uint32_t index) override { return componentAt(index); }
    void refresh() override
    {
        clear();
        // A name with a Latin-1 byte, a control byte, a quote and a backslash.
        m_components.push_back(new FakeComponent("dpy1", "Caf\xe9\x01 \"Panel\"\\"));
        m_components.push_back(new FakeComponent("dpy2", "GENERIC_DISPLAY"));
    }

private:
    void clear()
    {
        for (SystemComponent* component : m_components)
            delete component;
        m_components.clear();
    }
};

// Passes on dpy1, fails on dpy2.
class PassingTest : public Test
{
public:
    PassingTest() : Test(ItemId(Module, 1, 1)) {}
    bool supportsComponent(SystemComponent*) override { return true; }
    bool isAttended() override { return false; }
    uint32_t run(RunContext* context) override
    {
        FeedbackChannel* feedback = context->feedbackChannel();
        feedback->progress(0, "");
        feedback->progress(50, "FAKE_HALF_WAY");
        const bool fails = context->component()->componentId() == "dpy2";
        context->messageSink()->report(fails ? "FAKE_FAILED" : "FAKE_PASSED.", nullptr, 0);
        feedback->progress(100, "");
        return fails ? 1 : 0;
    }
};

// Asks to continue, then a yes/no question; without input it cannot run.
class AttendedTest : public Test
{
public:
    AttendedTest() : Test(ItemId(Module, 1, 2)) {}
    bool supportsComponent(SystemComponent*) override { return true; }
    bool isAttended() override { return true; }
    uint32_t run(RunContext* context) override
    {
        FeedbackChannel* feedback = context->feedbackChannel();
        feedback->progress(0, "");
        auto end = [&](const std::string& message, uint32_t result) {
            if (!message.empty())
                context->messageSink()->report(message, nullptr, 0);
            feedback->progress(100, "");
            return result;
        };
        if (!feedback->inputTypeRecognized())
            return end("THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_APPLICATION_COULD_NOT_RECOGNIZE_"
                       "THE_INPUT_TYPE",
                       3);
        InputRequest confirm("FAKE_TEST_2", "FAKE_CONFIRM", 1, 0, 0);
        feedback->request(confirm);
        if (confirm.answer != 1 || context->stopRequested())
            return end("", 4);
        InputRequest check("FAKE_TEST_2", "FAKE_CHECK", 1, 2, 0);
        feedback->request(check);
        if (check.answer == 3)
            return end("", 0);
        if (check.answer == 4)
            return end("FAKE_ATTENDED_FAILED", 1);
        return end("", 4);
    }
};

// Reads CSAT.FAKE_LIMIT the way the display module reads its time-outs.
class StrictTest : public Test
{
public:
    StrictTest() : Test(ItemId(Module, 1, 3)) {}
    bool supportsComponent(SystemComponent*) override { return true; }
    bool isAttended() override { return false; }
    bool configure(SettingsMap settings, void*) override
    {
        const auto section = settings.find("CSAT");
        if (section == settings.end())
            return true;
        const auto value = section->second.find("FAKE_LIMIT");
        if (value == section->second.end())
            return true;
        try {
            std::stoi(value->second);
        } catch (const std::invalid_argument&) {
            throw std::invalid_argument("invalid stoi argument");
        } catch (const std::out_of_range&) {
            throw std::out_of_range("stoi argument out of range");
        }
        return true;
    }
    uint32_t run(RunContext* context) override
    {
        context->feedbackChannel()->progress(0, "");
        context->feedbackChannel()->progress(100, "");
        return 0;
    }
};

// Runs until the host asks it to stop or a system event arrives (at most a
// minute), then ends Aborted. With [FAKE] IGNORE_STOP=1 it only watches the
// system events.
class WaitingTest : public Test
{
public:
    WaitingTest() : Test(ItemId(Module, 1, 4)) {}
    bool supportsComponent(SystemComponent*) override { return true; }
    bool isAttended() override { return false; }
    bool configure(SettingsMap settings, void*) override
    {
        m_ignoreStop = settings["FAKE"]["IGNORE_STOP"] == "1";
        return true;
    }
    uint32_t run(RunContext* context) override
    {
        context->feedbackChannel()->progress(0, "");
        for (int i = 0; i < 600; ++i) {
            const uint32_t* word = context->systemEventWord();
            if ((context->stopRequested() && !m_ignoreStop) || (word && (*word & 0x1FB)))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        context->messageSink()->report("FAKE_STOPPED", nullptr, 0);
        context->feedbackChannel()->progress(100, "");
        return 4;
    }

private:
    bool m_ignoreStop = false;
};

ModuleInterface* instance = nullptr;
ProductVersion version(1, 2, 3, 4);
} // namespace

extern "C" {
__attribute__((visibility("default"))) ModuleInterface* GetModuleInterfaceInstance()
{
    if (!instance) {
        std::vector<Test*> tests{new PassingTest, new AttendedTest, new StrictTest,
                                 new WaitingTest};
        auto* diagnostic = new Diagnostic(ItemId(Module, 1, 0), tests);
        instance = new ModuleInterface({diagnostic}, new FakeResource, new FakeManager, 0);
    }
    return instance;
}

__attribute__((visibility("default"))) ProductVersion* GetProductVersion()
{
    return &version;
}

__attribute__((visibility("default"))) void ReleaseModuleInterfaceInstance()
{
    if (!instance)
        return;
    delete instance->resource();
    delete instance->componentManager();
    Diagnostic* diagnostic = instance->diagnosticAt(0);
    for (uint32_t i = 0; i < diagnostic->testCount(); ++i)
        delete diagnostic->testAt(i);
    delete diagnostic;
    delete instance;
    instance = nullptr;
}
}
