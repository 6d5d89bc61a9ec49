// The host calls every interface through its virtual table, so the position
// of each operation is part of the contract. On this ABI a pointer to a
// virtual member function holds 1 plus the byte offset of its table entry,
// and the virtual destructor takes two entries: slot k sits at entry k + 1.

#include "display/DisplayInterfaceComponent.h"
#include "display/DisplayMode.h"
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
#include "widgets/AbstractWidgetWrapper.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace {
template <typename Pmf> long slotOf(Pmf pmf)
{
    static_assert(sizeof(Pmf) == 2 * sizeof(uintptr_t), "Itanium member pointer layout");
    uintptr_t raw[2];
    std::memcpy(raw, &pmf, sizeof raw);
    if (raw[0] % sizeof(void*) != 1)
        return -1; // not a virtual function
    const long entry = long((raw[0] - 1) / sizeof(void*));
    return entry - 1;
}
} // namespace

#define EXPECT_SLOT(member, slot) EXPECT_EQ(slotOf(&member), slot) << #member

TEST(SlotOrder, ModuleInterface)
{
    EXPECT_SLOT(ModuleInterface::diagnosticAt, 1);
    EXPECT_SLOT(ModuleInterface::diagnosticCount, 2);
    EXPECT_SLOT(ModuleInterface::resource, 3);
    EXPECT_SLOT(ModuleInterface::componentManager, 4);
    EXPECT_SLOT(ModuleInterface::extensionAt, 5);
    EXPECT_SLOT(ModuleInterface::extensionCount, 6);
    EXPECT_SLOT(ModuleInterface::flags, 7);
    EXPECT_SLOT(ModuleInterface::isRestricted, 8);
}

TEST(SlotOrder, ProductVersion)
{
    EXPECT_SLOT(ProductVersion::major, 1);
    EXPECT_SLOT(ProductVersion::minor, 2);
    EXPECT_SLOT(ProductVersion::build, 3);
    EXPECT_SLOT(ProductVersion::revision, 4);
}

TEST(SlotOrder, DiagnosticAndTest)
{
    EXPECT_SLOT(Diagnostic::diagnosticId, 1);
    EXPECT_SLOT(Diagnostic::testCount, 2);
    EXPECT_SLOT(Diagnostic::testAt, 3);
    EXPECT_SLOT(Diagnostic::findTest, 4);

    EXPECT_SLOT(::Test::supportsComponent, 1);
    EXPECT_SLOT(::Test::run, 2);
    EXPECT_SLOT(::Test::isAttended, 3);
    EXPECT_SLOT(::Test::isExclusive, 4);
    EXPECT_SLOT(::Test::dependencies, 5);
    EXPECT_SLOT(::Test::setExecutionRecord, 6);
    EXPECT_SLOT(::Test::conflicts, 7);
    EXPECT_SLOT(::Test::isEnabled, 8);
    EXPECT_SLOT(::Test::isVisible, 9);
    EXPECT_SLOT(::Test::configure, 10);
    EXPECT_SLOT(::Test::reset, 11);
}

TEST(SlotOrder, Resource)
{
    EXPECT_SLOT(Resource::hostValue, 1);
    EXPECT_SLOT(Resource::diagnosticNameKey, 2);
    EXPECT_SLOT(Resource::testNameKey, 3);
    EXPECT_SLOT(Resource::diagnosticDescriptionKey, 4);
    EXPECT_SLOT(Resource::testDescriptionKey, 5);
    EXPECT_SLOT(Resource::helpText, 6);
    EXPECT_SLOT(Resource::name, 7);
    EXPECT_SLOT(Resource::code, 8);
    EXPECT_SLOT(Resource::testCommandLineNames, 9);
    EXPECT_SLOT(Resource::diagnosticCommandLineNames, 10);
    EXPECT_SLOT(Resource::numberedTexts, 11);
    EXPECT_SLOT(Resource::setNumberedTexts, 12);
}

TEST(SlotOrder, ComponentsAndModes)
{
    EXPECT_SLOT(SystemComponentManager::managerId, 1);
    EXPECT_SLOT(SystemComponentManager::componentCount, 2);
    EXPECT_SLOT(SystemComponentManager::componentAt, 3);
    EXPECT_SLOT(SystemComponentManager::hasDisplays, 4);
    EXPECT_SLOT(SystemComponentManager::displayAt, 5);
    EXPECT_SLOT(SystemComponentManager::refresh, 6);

    EXPECT_SLOT(SystemComponent::componentId, 1);
    EXPECT_SLOT(SystemComponent::info, 2);
    EXPECT_SLOT(SystemComponent::propertyGroups, 3);
    EXPECT_SLOT(SystemComponent::status, 4);
    EXPECT_SLOT(SystemComponent::isPresent, 5);
    EXPECT_SLOT(SystemComponent::isEnabled, 6);
    EXPECT_SLOT(SystemComponent::enable, 7);
    EXPECT_SLOT(SystemComponent::isSupported, 8);
    EXPECT_SLOT(SystemComponent::setOption, 9);
    EXPECT_SLOT(SystemComponent::notify, 10);
    EXPECT_SLOT(DisplayInterfaceComponent::currentMode, 11);
    EXPECT_SLOT(DisplayInterfaceComponent::modes, 12);
    EXPECT_SLOT(DisplayInterfaceComponent::readEdid, 13);
    EXPECT_SLOT(DisplayInterfaceComponent::calibrationStatus, 14);
    EXPECT_SLOT(DisplayInterfaceComponent::restoreDisplaySettings, 15);
    EXPECT_SLOT(DisplayInterfaceComponent::collectProperties, 16);
    EXPECT_SLOT(DisplayInterfaceComponent::monitorLeft, 17);
    EXPECT_SLOT(DisplayInterfaceComponent::monitorTop, 18);

    EXPECT_SLOT(DisplayMode::apply, 1);
    EXPECT_SLOT(DisplayMode::width, 2);
    EXPECT_SLOT(DisplayMode::height, 3);
    EXPECT_SLOT(DisplayMode::resolutionText, 4);
    EXPECT_SLOT(DisplayMode::magnitude, 5);
    EXPECT_SLOT(DisplayMode::equals, 6);
    EXPECT_SLOT(DisplayMode::clone, 7);
}

TEST(SlotOrder, RequestsAndHostObjects)
{
    EXPECT_SLOT(AbstractWidgetWrapper::run, 1);
    EXPECT_TRUE(std::has_virtual_destructor_v<InputRequest>);

    EXPECT_SLOT(RunContext::component, 1);
    EXPECT_SLOT(RunContext::messageSink, 2);
    EXPECT_SLOT(RunContext::feedbackChannel, 3);
    EXPECT_SLOT(RunContext::hostData, 4);
    EXPECT_SLOT(RunContext::stopRequested, 5);
    EXPECT_SLOT(RunContext::systemEventWord, 6);
    EXPECT_SLOT(MessageSink::report, 1);
    EXPECT_SLOT(FeedbackChannel::progress, 1);
    EXPECT_SLOT(FeedbackChannel::request, 2);
    EXPECT_SLOT(FeedbackChannel::notice, 3);
    EXPECT_SLOT(FeedbackChannel::inputTypeRecognized, 4);
}
