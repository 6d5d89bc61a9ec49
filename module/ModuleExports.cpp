#include "module/ModuleExports.h"

#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "module/Diagnostic.h"
#include "module/Keys.h"
#include "module/ModuleIds.h"
#include "module/ModuleInterface.h"
#include "module/ProductVersion.h"
#include "module/TestWithDeviceHint.h"
#include "resource/DisplayResource.h"
#include "tests/BlackPurityTest.h"
#include "tests/BluePurityTest.h"
#include "tests/ColorTransitionTest.h"
#include "tests/GeneralDisplayInteractiveTest.h"
#include "tests/GreenPurityTest.h"
#include "tests/InvertedMonochromaticMeshTest.h"
#include "tests/MonochromaticMeshTest.h"
#include "tests/RedPurityTest.h"
#include "tests/ResolutionFittingTest.h"
#include "tests/SharpnessTest.h"
#include "tests/WhitePurityTest.h"

#include <memory>
#include <string>
#include <vector>

namespace {
ModuleInterface* g_moduleInterface = nullptr;
ProductVersion g_productVersion(4, 35, 1, 6);

// Takes ownership of each new object until the graph is complete, so that an
// allocation failure halfway leaves nothing behind.
struct GraphUnderConstruction
{
    std::vector<std::unique_ptr<Test>> tests;
    std::unique_ptr<Diagnostic> diagnostic;
    std::unique_ptr<Resource> resource;
    std::unique_ptr<SystemComponentManager> manager;

    template <typename T> void addTest(const std::string& deviceHint, const ItemId& id)
    {
        tests.push_back(std::make_unique<TestWithDeviceHint<T>>(deviceHint, id));
    }
};

ModuleInterface* buildGraph()
{
    const std::string& hint = Keys::STANDARD_DEVICE_HINT;
    GraphUnderConstruction graph;
    graph.addTest<RedPurityTest>(hint, ModuleIds::RedPurityTest);
    graph.addTest<GreenPurityTest>(hint, ModuleIds::GreenPurityTest);
    graph.addTest<BluePurityTest>(hint, ModuleIds::BluePurityTest);
    graph.addTest<BlackPurityTest>(hint, ModuleIds::BlackPurityTest);
    graph.addTest<WhitePurityTest>(hint, ModuleIds::WhitePurityTest);
    graph.addTest<ColorTransitionTest>(hint, ModuleIds::ColorTransitionTest);
    graph.addTest<MonochromaticMeshTest>(hint, ModuleIds::MonochromaticMeshTest);
    graph.addTest<InvertedMonochromaticMeshTest>(hint, ModuleIds::InvertedMonochromaticMeshTest);
    graph.addTest<SharpnessTest>(hint, ModuleIds::SharpnessTest);
    graph.addTest<ResolutionFittingTest>(std::string(), ModuleIds::ResolutionFittingTest);
    graph.addTest<GeneralDisplayInteractiveTest>(hint, ModuleIds::GeneralDisplayInteractiveTest);

    std::vector<Test*> tests;
    for (const auto& test : graph.tests)
        tests.push_back(test.get());
    graph.diagnostic = std::make_unique<Diagnostic>(ModuleIds::QuickDiagnostic, tests);

    graph.resource = std::make_unique<DisplayResource>(ModuleIds::Resource);
    const Resource::NumberedTexts numberedTexts = {{0, "0 - 2"}, {1, ""}, {2, ""}};
    graph.resource->setNumberedTexts(numberedTexts);

    graph.manager =
        std::make_unique<DisplayInterfaceComponentManagerWindows>(ModuleIds::ComponentManager);

    auto moduleInterface =
        std::make_unique<ModuleInterface>(std::vector<Diagnostic*>{graph.diagnostic.get()},
                                          graph.resource.get(), graph.manager.get(), 0);

    // Complete: from here on the graph is deleted only by the release export.
    for (auto& test : graph.tests)
        test.release();
    graph.diagnostic.release();
    graph.resource.release();
    graph.manager.release();
    return moduleInterface.release();
}
} // namespace

extern "C" ModuleInterface* GetModuleInterfaceInstance()
{
    if (!g_moduleInterface)
        g_moduleInterface = buildGraph();
    return g_moduleInterface;
}

extern "C" ProductVersion* GetProductVersion()
{
    return &g_productVersion;
}

extern "C" void ReleaseModuleInterfaceInstance()
{
    ModuleInterface* moduleInterface = g_moduleInterface;
    if (!moduleInterface)
        return;
    // Everything goes through the interface's virtual operations, with counts
    // and pointers fetched afresh at every step.
    if (Resource* resource = moduleInterface->resource())
        delete resource;
    if (SystemComponentManager* manager = moduleInterface->componentManager())
        delete manager;
    for (uint32_t d = 0; d < moduleInterface->diagnosticCount(); ++d) {
        for (uint32_t t = 0;; ++t) {
            Diagnostic* diagnostic = moduleInterface->diagnosticAt(d);
            if (!diagnostic || t >= diagnostic->testCount())
                break;
            if (Test* test = diagnostic->testAt(t))
                delete test;
        }
        if (Diagnostic* diagnostic = moduleInterface->diagnosticAt(d))
            delete diagnostic;
    }
    delete moduleInterface;
    g_moduleInterface = nullptr;
}
