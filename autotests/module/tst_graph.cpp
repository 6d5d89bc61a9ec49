// The object graph the entry points build and tear down, the diagnostic's
// lookups and the device-hint wrapper.

#include "autotests/support/RecordingHost.h"
#include "display/SystemComponentManager.h"
#include "module/Diagnostic.h"
#include "module/ModuleExports.h"
#include "module/ModuleInterface.h"
#include "module/Test.h"
#include "module/TestResult.h"
#include "module/TestWithDeviceHint.h"
#include "resource/Resource.h"
#include "tests/GeneralDisplayInteractiveTest.h"
#include "tests/RedPurityTest.h"
#include "tests/ResolutionFittingTest.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <stdexcept>

namespace {
const std::string StandardHint = "POSSIBLE_DEFECTIVE_COMPONENTS: CABLES, SCREEN, CONNECTOR";

class GraphTest : public ::testing::Test
{
protected:
    void TearDown() override { ReleaseModuleInterfaceInstance(); }
};

// A test whose run returns a chosen code and which records the settings it got.
class ScriptedTest : public Test
{
public:
    explicit ScriptedTest(const ItemId& id) : Test(id) {}
    bool supportsComponent(SystemComponent*) override { return true; }
    uint32_t run(RunContext* context) override
    {
        context->feedbackChannel()->progress(100, "");
        return result;
    }
    bool isAttended() override { return false; }
    bool configure(SettingsMap settings, void* extra) override
    {
        received = settings;
        receivedExtra = extra;
        if (throwOnConfigure)
            throw std::invalid_argument("invalid stoi argument");
        return true;
    }

    uint32_t result = Passed;
    SettingsMap received;
    void* receivedExtra = nullptr;
    bool throwOnConfigure = false;
};
} // namespace

TEST(SharedTypes, ItemIdLayoutAndKey)
{
    EXPECT_EQ(offsetof(ItemId, module), 0u);
    EXPECT_EQ(offsetof(ItemId, diagnostic), 4u);
    EXPECT_EQ(offsetof(ItemId, test), 8u);
    EXPECT_EQ(offsetof(ItemId, key), 16u);
    EXPECT_EQ(ItemId(9, 1, 10).key, 0x0009000001000000ull | 10u);
    EXPECT_EQ(ItemId(9, 0, 0).key, 9ull << 48);
    // Ordering is by the unsigned key: the module number dominates.
    EXPECT_LT(ItemId(9, 1, 11), ItemId(10, 0, 0));
    EXPECT_LT(ItemId(9, 0, 0xFFFFFF), ItemId(9, 1, 0));
}

TEST_F(GraphTest, BuildsOnceAndReturnsTheSameInterface)
{
    ModuleInterface* first = GetModuleInterfaceInstance();
    ASSERT_NE(first, nullptr);
    Diagnostic* diagnostic = first->diagnosticAt(0);
    EXPECT_EQ(GetModuleInterfaceInstance(), first);
    EXPECT_EQ(first->diagnosticAt(0), diagnostic) << "a second call must build nothing";

    EXPECT_EQ(first->diagnosticCount(), 1u);
    EXPECT_EQ(first->diagnosticAt(1), nullptr);
    EXPECT_EQ(first->extensionCount(), 0u);
    EXPECT_EQ(first->extensionAt(0), nullptr);
    EXPECT_EQ(first->flags(), 0u);
    EXPECT_FALSE(first->isRestricted());
    EXPECT_EQ(first->resource()->id(), ItemId(9, 0, 0));
    EXPECT_EQ(first->componentManager()->managerId(), ItemId(9, 0, 0));
    EXPECT_EQ(first->componentManager()->componentCount(), 0u) << "building must not enumerate";
}

TEST_F(GraphTest, ListsElevenTestsInOrderWithTheirHints)
{
    Diagnostic* diagnostic = GetModuleInterfaceInstance()->diagnosticAt(0);
    ASSERT_NE(diagnostic, nullptr);
    EXPECT_EQ(diagnostic->diagnosticId(), ItemId(9, 1, 0));
    ASSERT_EQ(diagnostic->testCount(), 11u);
    for (uint32_t i = 0; i < 11; ++i) {
        ::Test* test = diagnostic->testAt(i);
        ASSERT_NE(test, nullptr);
        EXPECT_EQ(test->id(), ItemId(9, 1, i + 1));
        // Only the resolution fitting test (index 9) runs unattended.
        EXPECT_EQ(test->isAttended(), i != 9) << "test " << i + 1;
        EXPECT_TRUE(!test->isExclusive() && test->isEnabled() && test->isVisible());
    }
    EXPECT_EQ(diagnostic->testAt(11), nullptr);
    EXPECT_EQ(diagnostic->findTest(ItemId(9, 1, 10)), diagnostic->testAt(9));
    EXPECT_EQ(diagnostic->findTest(ItemId(9, 1, 0)), nullptr);
    EXPECT_EQ(diagnostic->findTest(ItemId(9, 1, 12)), nullptr);
    EXPECT_EQ(diagnostic->findTest(ItemId(9, 2, 1)), nullptr);

    auto* red = dynamic_cast<TestWithDeviceHint<RedPurityTest>*>(diagnostic->testAt(0));
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(red->deviceHint(), StandardHint);
    auto* fitting = dynamic_cast<TestWithDeviceHint<ResolutionFittingTest>*>(diagnostic->testAt(9));
    ASSERT_NE(fitting, nullptr);
    EXPECT_EQ(fitting->deviceHint(), "");
    auto* interactive =
        dynamic_cast<TestWithDeviceHint<GeneralDisplayInteractiveTest>*>(diagnostic->testAt(10));
    ASSERT_NE(interactive, nullptr);
    EXPECT_EQ(interactive->deviceHint(), StandardHint);
}

TEST_F(GraphTest, ReleaseIsSafeAndRebuildsAFreshGraph)
{
    ReleaseModuleInterfaceInstance(); // nothing built yet
    ReleaseModuleInterfaceInstance();
    ModuleInterface* first = GetModuleInterfaceInstance();
    std::set<::Test*> firstTests;
    for (uint32_t i = 0; i < 11; ++i)
        firstTests.insert(first->diagnosticAt(0)->testAt(i));
    EXPECT_EQ(firstTests.size(), 11u);
    ReleaseModuleInterfaceInstance();
    ReleaseModuleInterfaceInstance();

    ModuleInterface* second = GetModuleInterfaceInstance();
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->diagnosticAt(0)->testCount(), 11u);
    for (uint32_t i = 0; i < 11; ++i)
        EXPECT_EQ(second->diagnosticAt(0)->testAt(i)->id(), ItemId(9, 1, i + 1));
}

TEST(DeviceHint, ReportedOnlyWhenTheWrappedTestFails)
{
    for (uint32_t code : {0u, 1u, 3u, 4u, 6u}) {
        TestWithDeviceHint<ScriptedTest> wrapper(StandardHint, ItemId(9, 1, 3));
        wrapper.test().result = code;
        RecordingHost host;
        EXPECT_EQ(wrapper.run(&host), code);
        if (code == Failed) {
            EXPECT_EQ(host.messages(), std::vector<std::string>{StandardHint});
            EXPECT_EQ(host.progressPercents(), (std::vector<int>{100, 100}));
            EXPECT_EQ(host.progressTexts().back(), StandardHint);
        } else {
            EXPECT_TRUE(host.messages().empty()) << "code " << code;
            EXPECT_EQ(host.countProgress(100), 1) << "code " << code;
        }
    }
}

TEST(DeviceHint, ConfigureHandsOnAnIdenticalCopy)
{
    TestWithDeviceHint<ScriptedTest> wrapper(StandardHint, ItemId(9, 1, 1));
    const SettingsMap settings = {{"CSAT", {{"CSAT_TEST_TIMEOUT", "20"}}}, {"OTHER", {{"A", "b"}}}};
    int extra = 0;
    EXPECT_TRUE(wrapper.configure(settings, &extra));
    EXPECT_EQ(wrapper.test().received, settings);
    EXPECT_EQ(wrapper.test().receivedExtra, &extra);

    wrapper.test().throwOnConfigure = true;
    EXPECT_THROW(wrapper.configure(settings, nullptr), std::invalid_argument);
}
