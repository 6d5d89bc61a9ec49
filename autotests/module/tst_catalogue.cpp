// Keys, the resource the host reads, and the reading of time-outs from the
// host's settings. Expected texts are typed here, not taken from the code's
// own constants, so a misspelt constant is caught.

#include "module/Diagnostic.h"
#include "module/Keys.h"
#include "module/ModuleExports.h"
#include "module/ModuleInterface.h"
#include "module/StoiConversion.h"
#include "module/Test.h"
#include "resource/DisplayResource.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {
struct TestRow
{
    uint32_t number;
    const char* shortName;
    const char* longName;
    const char* nameKey;
    const char* descriptionKey;
};

const std::vector<TestRow> Tests = {
    {1, "r", "red_purity", "DISPLAY_RED_PURITY_TEST", "DISPLAY_RED_PURITY_TEST_DESCRIPTION"},
    {2, "g", "green_purity", "DISPLAY_GREEN_PURITY_TEST", "DISPLAY_GREEN_PURITY_TEST_DESCRIPTION"},
    {3, "b", "blue_purity", "DISPLAY_BLUE_PURITY_TEST", "DISPLAY_BLUE_PURITY_TEST_DESCRIPTION"},
    {4, "k", "black_purity", "DISPLAY_BLACK_PURITY_TEST", "DISPLAY_BLACK_PURITY_TEST_DESCRIPTION"},
    {5, "w", "white_purity", "DISPLAY_WHITE_PURITY_TEST", "DISPLAY_WHITE_PURITY_TEST_DESCRIPTION"},
    {6, "c", "color_transition", "DISPLAY_COLOR_TRANSITION_TEST",
     "DISPLAY_COLOR_TRANSITION_TEST_DESCRIPTION"},
    {7, "m", "mono_mesh", "DISPLAY_MONOCHROMATIC_MESH_TEST",
     "DISPLAY_MONOCHROMATIC_MESH_TEST_DESCRIPTION"},
    {8, "i", "inv_mono_mesh", "DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST",
     "DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST_DESCRIPTION"},
    {9, "s", "sharpness", "DISPLAY_SHARPNESS_TEST", "DISPLAY_SHARPNESS_TEST_DESCRIPTION"},
    {10, "f", "resolution_fitting", "DISPLAY_RESOLUTION_FITTING_TEST",
     "DISPLAY_RESOLUTION_FITTING_TEST_DESCRIPTION"},
    {11, "n", "interactive_test", "DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST",
     "DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST_DESCRIPTION"},
};

} // namespace

TEST(KeyCatalogue, KeysWithPunctuationAreSpelledExactly)
{
    EXPECT_EQ(Keys::AN_INTERNAL_ERROR_OCCURRED,
              "AN_INTERNAL_ERROR_OCCURRED._|THIS_DOES_NOT_INDICATE_A_FAILURE._|PLEASE_TRY_AGAIN.");
    EXPECT_EQ(Keys::YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION,
              "YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION.");
    EXPECT_EQ(Keys::YOUR_SYSTEM_CANT_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY,
              "YOUR_SYSTEM_CAN'T_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY.");
    EXPECT_EQ(Keys::STANDARD_DEVICE_HINT,
              "POSSIBLE_DEFECTIVE_COMPONENTS: CABLES, SCREEN, CONNECTOR");
}

TEST(DisplayResourceTest, CommandLineTablesAreOrderedByItemId)
{
    DisplayResource resource(ItemId(9, 0, 0));
    const auto tests = resource.testCommandLineNames();
    ASSERT_EQ(tests.size(), Tests.size());
    auto it = tests.begin();
    for (const TestRow& row : Tests) {
        EXPECT_EQ(it->first, ItemId(9, 1, row.number));
        EXPECT_EQ(it->second.shortName, row.shortName);
        EXPECT_EQ(it->second.longName, row.longName);
        EXPECT_EQ(it->second.kind, 2u);
        ++it;
    }
    const auto diagnostics = resource.diagnosticCommandLineNames();
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics.begin()->first, ItemId(9, 1, 0));
    EXPECT_EQ(diagnostics.begin()->second.shortName, "Q");
    EXPECT_EQ(diagnostics.begin()->second.longName, "quick");
    EXPECT_EQ(diagnostics.begin()->second.kind, 2u);
}

TEST(DisplayResourceTest, NameAndDescriptionKeysByItemId)
{
    DisplayResource resource(ItemId(9, 0, 0));
    for (const TestRow& row : Tests) {
        const ItemId id(9, 1, row.number);
        EXPECT_EQ(resource.testNameKey(id), row.nameKey);
        EXPECT_EQ(resource.testDescriptionKey(id), row.descriptionKey);
        EXPECT_EQ(resource.diagnosticNameKey(id), "");
        EXPECT_EQ(resource.diagnosticDescriptionKey(id), "");
    }
    EXPECT_EQ(resource.diagnosticNameKey(ItemId(9, 1, 0)), "DISPLAY_QUICK_DIAGNOSTIC");
    EXPECT_EQ(resource.diagnosticDescriptionKey(ItemId(9, 1, 0)), "DISPLAY_TESTS_TOOLTIP");
    for (const ItemId& unknown : {ItemId(9, 1, 0), ItemId(9, 2, 1), ItemId(9, 1, 12), ItemId()}) {
        EXPECT_EQ(resource.testNameKey(unknown), "");
        EXPECT_EQ(resource.testDescriptionKey(unknown), "");
    }
    EXPECT_EQ(resource.diagnosticNameKey(ItemId(9, 2, 1)), "");
}

TEST(DisplayResourceTest, NumberedTexts)
{
    DisplayResource resource(ItemId(9, 0, 0));
    resource.setNumberedTexts({{2, ""}, {0, "0 - 2"}, {1, ""}});
    const Resource::NumberedTexts expected = {{0, "0 - 2"}, {1, ""}, {2, ""}};
    EXPECT_EQ(resource.numberedTexts(), expected);

    // Handing the resource its own table (as a subclass can) changes nothing.
    class SelfAssigning : public DisplayResource
    {
    public:
        using DisplayResource::DisplayResource;
        void assignOwn() { setNumberedTexts(m_numberedTexts); }
    } self(ItemId(9, 0, 0));
    self.setNumberedTexts(expected);
    self.assignOwn();
    EXPECT_EQ(self.numberedTexts(), expected);
}

TEST(StoiConversionTest, FollowsTheStandardRule)
{
    const std::vector<std::pair<const char*, int>> valid = {
        {"20", 20},
        {"  7", 7},
        {"\t\n+12", 12},
        {"-3", -3},
        {"12abc", 12},
        {"0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"007", 7},
        {"1e99", 1},
    };
    for (const auto& [text, value] : valid)
        EXPECT_EQ(stoiConversion(text), value) << text;

    for (const char* text : {"", "abc", " ", "+", "-", "x12", "+-1", " - 1"}) {
        try {
            stoiConversion(text);
            ADD_FAILURE() << "no error for '" << text << "'";
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), "invalid stoi argument");
        }
    }
    for (const char* text : {"2147483648", "-2147483649", "99999999999999999999999"}) {
        try {
            stoiConversion(text);
            ADD_FAILURE() << "no error for '" << text << "'";
        } catch (const std::out_of_range& error) {
            EXPECT_STREQ(error.what(), "stoi argument out of range");
        }
    }
}

TEST(ConfigureThroughTheGraph, ErrorsCarryTheHostsTexts)
{
    Diagnostic* diagnostic = GetModuleInterfaceInstance()->diagnosticAt(0);
    for (uint32_t i = 0; i < diagnostic->testCount(); ++i) {
        ::Test* test = diagnostic->testAt(i);
        const bool readsTimeout = test->id().test != 10;
        EXPECT_TRUE(test->configure({}, nullptr));
        EXPECT_TRUE(test->configure({{"CSAT", {{"CSAT_TEST_TIMEOUT", " 30 s"}}}}, nullptr));
        if (!readsTimeout) {
            EXPECT_TRUE(test->configure({{"CSAT", {{"CSAT_TEST_TIMEOUT", "x"}}}}, nullptr));
            continue;
        }
        try {
            test->configure({{"CSAT", {{"CSAT_TEST_TIMEOUT", "letters"}}}}, nullptr);
            ADD_FAILURE() << "test " << i + 1;
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), "invalid stoi argument");
        }
        try {
            test->configure({{"CSAT", {{"CSAT_TEST_TIMEOUT", "4294967296"}}}}, nullptr);
            ADD_FAILURE() << "test " << i + 1;
        } catch (const std::out_of_range& error) {
            EXPECT_STREQ(error.what(), "stoi argument out of range");
        }
    }
    ReleaseModuleInterfaceInstance();
}
