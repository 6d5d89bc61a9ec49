#include "resource/DisplayResource.h"

#include "module/Keys.h"
#include "module/ModuleIds.h"

#include <array>

namespace {
// Kind of every command-line entry of this module.
constexpr uint32_t CommandLineKind = 2;

struct TestEntry
{
    ItemId id;
    const char* shortName;
    const char* longName;
    const std::string& nameKey;
    const std::string& descriptionKey;
};

const std::array<TestEntry, 11>& testEntries()
{
    static const std::array<TestEntry, 11> entries = {{
        {ModuleIds::RedPurityTest, "r", "red_purity", Keys::DISPLAY_RED_PURITY_TEST,
         Keys::DISPLAY_RED_PURITY_TEST_DESCRIPTION},
        {ModuleIds::GreenPurityTest, "g", "green_purity", Keys::DISPLAY_GREEN_PURITY_TEST,
         Keys::DISPLAY_GREEN_PURITY_TEST_DESCRIPTION},
        {ModuleIds::BluePurityTest, "b", "blue_purity", Keys::DISPLAY_BLUE_PURITY_TEST,
         Keys::DISPLAY_BLUE_PURITY_TEST_DESCRIPTION},
        {ModuleIds::BlackPurityTest, "k", "black_purity", Keys::DISPLAY_BLACK_PURITY_TEST,
         Keys::DISPLAY_BLACK_PURITY_TEST_DESCRIPTION},
        {ModuleIds::WhitePurityTest, "w", "white_purity", Keys::DISPLAY_WHITE_PURITY_TEST,
         Keys::DISPLAY_WHITE_PURITY_TEST_DESCRIPTION},
        {ModuleIds::ColorTransitionTest, "c", "color_transition",
         Keys::DISPLAY_COLOR_TRANSITION_TEST, Keys::DISPLAY_COLOR_TRANSITION_TEST_DESCRIPTION},
        {ModuleIds::MonochromaticMeshTest, "m", "mono_mesh", Keys::DISPLAY_MONOCHROMATIC_MESH_TEST,
         Keys::DISPLAY_MONOCHROMATIC_MESH_TEST_DESCRIPTION},
        {ModuleIds::InvertedMonochromaticMeshTest, "i", "inv_mono_mesh",
         Keys::DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST,
         Keys::DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST_DESCRIPTION},
        {ModuleIds::SharpnessTest, "s", "sharpness", Keys::DISPLAY_SHARPNESS_TEST,
         Keys::DISPLAY_SHARPNESS_TEST_DESCRIPTION},
        {ModuleIds::ResolutionFittingTest, "f", "resolution_fitting",
         Keys::DISPLAY_RESOLUTION_FITTING_TEST, Keys::DISPLAY_RESOLUTION_FITTING_TEST_DESCRIPTION},
        {ModuleIds::GeneralDisplayInteractiveTest, "n", "interactive_test",
         Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST,
         Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST_DESCRIPTION},
    }};
    return entries;
}

const TestEntry* findTestEntry(const ItemId& id)
{
    for (const TestEntry& entry : testEntries()) {
        if (entry.id.key == id.key)
            return &entry;
    }
    return nullptr;
}

std::string buildHelpText()
{
    const std::string program = DisplayResource::ProgramName;
    std::string text;
    text += "Display Module help:\n";
    text += "  Usage: " + program + " -Mdisplay [diagnostic]\"[test(s)]\" [device id(s)]\n";
    text += "\n";
    text += " Diagnostics:\n";
    text += "   -Q, --quick  Runs all test(s) of Display diagnostic\n";
    text +=
        "   -Q\"[test(s)]\", --quick=\"[test(s)]\"  Runs chosen test(s) of Display diagnostic\n";
    text += "\n";
    text += " Tests:\n";
    text += "   r, red_purity\t\t\tRed Purity Test*\n";
    text += "   g, green_purity\t\t\tGreen Purity Test*\n";
    text += "   b, blue_purity\t\t\tBlue Purity Test*\n";
    text += "   k, black_purity\t\t\tBlack Purity Test*\n";
    text += "   w, white_purity\t\t\tWhite Purity Test*\n";
    text += "   c, color_transition\t\t\tColor Transition Test*\n";
    text += "   m, mono_mesh\t\t\t        Monochroamtic Mesh Test*\n";
    text += "   i, inv_mono_mesh\t\t\tInverted Monochroamtic Mesh Test*\n";
    text += "   s, sharpness\t\t\t        Sharpness Test*\n";
    text += "   f, resolution_fitting\t\tResolution Fitting Test\n";
    text += "   n, interactive_test\t                Display Interactive Test*\n";
    text += "\n   * Test not supported on CLI\n";
    text += "\n";
    text += " Examples:\n";
    text += "  => Performs Resolution Fitting Test test on all display devices:\n";
    text += "      " + program + " -Mdisplay -Q\"f\"\n";
    text += "\n";
    text += "  => Performs all tests on all diplay devices:\n";
    text += "      " + program + " -Mdisplay -Q 0\n";
    text += "      " + program + " -Mdisplay -Q\n";
    text += "      " + program + " -Mdisplay 0\n";
    text += "\n";
    text += "  => Performs Resolution Fitting Test on device dpy1:\n";
    text += "      " + program + " -Mdisplay -Q\"f\" dpy1\n\n";
    return text;
}
} // namespace

const char* const DisplayResource::ProgramName = "OrvaneDiagnosticsCLI";

DisplayResource::DisplayResource(const ItemId& id) : Resource(id)
{
    m_helpText = buildHelpText();
    m_name = Keys::DISPLAY;
    m_code = Keys::MO;
    m_diagnosticNames.insert({ModuleIds::QuickDiagnostic, {"Q", "quick", CommandLineKind}});
    for (const TestEntry& entry : testEntries())
        m_testNames.insert({entry.id, {entry.shortName, entry.longName, CommandLineKind}});
}

std::string DisplayResource::diagnosticNameKey(const ItemId& id)
{
    return id.key == ModuleIds::QuickDiagnostic.key ? Keys::DISPLAY_QUICK_DIAGNOSTIC
                                                    : std::string();
}

std::string DisplayResource::testNameKey(const ItemId& id)
{
    const TestEntry* entry = findTestEntry(id);
    return entry ? entry->nameKey : std::string();
}

std::string DisplayResource::diagnosticDescriptionKey(const ItemId& id)
{
    return id.key == ModuleIds::QuickDiagnostic.key ? Keys::DISPLAY_TESTS_TOOLTIP : std::string();
}

std::string DisplayResource::testDescriptionKey(const ItemId& id)
{
    const TestEntry* entry = findTestEntry(id);
    return entry ? entry->descriptionKey : std::string();
}
