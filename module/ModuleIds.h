#pragma once

#include "module/ItemId.h"

// The identifiers of every object the module hands to the host.
namespace ModuleIds {
constexpr uint16_t DisplayModule = 9;

constexpr ItemId Resource{DisplayModule, 0, 0};
constexpr ItemId ComponentManager{DisplayModule, 0, 0};
constexpr ItemId QuickDiagnostic{DisplayModule, 1, 0};
constexpr ItemId RedPurityTest{DisplayModule, 1, 1};
constexpr ItemId GreenPurityTest{DisplayModule, 1, 2};
constexpr ItemId BluePurityTest{DisplayModule, 1, 3};
constexpr ItemId BlackPurityTest{DisplayModule, 1, 4};
constexpr ItemId WhitePurityTest{DisplayModule, 1, 5};
constexpr ItemId ColorTransitionTest{DisplayModule, 1, 6};
constexpr ItemId MonochromaticMeshTest{DisplayModule, 1, 7};
constexpr ItemId InvertedMonochromaticMeshTest{DisplayModule, 1, 8};
constexpr ItemId SharpnessTest{DisplayModule, 1, 9};
constexpr ItemId ResolutionFittingTest{DisplayModule, 1, 10};
constexpr ItemId GeneralDisplayInteractiveTest{DisplayModule, 1, 11};
} // namespace ModuleIds
