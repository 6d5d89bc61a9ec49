#include "tests/ResolutionFittingTest.h"

#include "display/DisplayInterfaceComponent.h"
#include "display/DisplayMode.h"
#include "display/Edid.h"
#include "module/FeedbackChannel.h"
#include "module/Keys.h"
#include "module/MessageSink.h"
#include "module/RunContext.h"
#include "module/SystemEventMask.h"
#include "module/TestResult.h"
#include "tests/AttendedSteps.h"

#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

namespace {
// How long the internal error waits before it is shown, in calendar seconds,
// and how often it looks for a stop request meanwhile.
constexpr std::time_t InternalErrorDelaySeconds = 2;
constexpr std::chrono::milliseconds StopPollInterval(20);
} // namespace

ResolutionFittingTest::ResolutionFittingTest(const ItemId& id) : Test(id) {}

bool ResolutionFittingTest::supportsComponent(SystemComponent* component)
{
    if (dynamic_cast<DisplayInterfaceComponent*>(component))
        return true;
    m_reason = Keys::
        THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED;
    return false;
}

bool ResolutionFittingTest::isCompromisingEvent(uint32_t code)
{
    return (code & SystemEventMask) != 0;
}

bool ResolutionFittingTest::hasCompleteContext(RunContext* context)
{
    return AttendedSteps::hasCompleteContext(context);
}

bool ResolutionFittingTest::shouldStop(RunContext* context)
{
    return AttendedSteps::stopOrSystemEvent(
        context, [this](uint32_t code) { return isCompromisingEvent(code); });
}

// The check between two steps: a stop ends the run with one more final
// progress report.
bool ResolutionFittingTest::stopBetweenSteps(RunContext* context)
{
    if (!shouldStop(context))
        return false;
    context->feedbackChannel()->progress(100, std::string());
    return true;
}

uint32_t ResolutionFittingTest::reportInternalError(RunContext* context)
{
    // Calendar seconds, as the host's other tests count them; a stop request
    // or a system event during the wait ends the run at once.
    const std::time_t start = std::time(nullptr);
    while (std::time(nullptr) < start + InternalErrorDelaySeconds) {
        if (shouldStop(context))
            return Aborted;
        std::this_thread::sleep_for(StopPollInterval);
    }
    context->feedbackChannel()->progress(100, Keys::AN_INTERNAL_ERROR_OCCURRED);
    context->messageSink()->report(Keys::AN_INTERNAL_ERROR_OCCURRED, nullptr, 0);
    return Aborted;
}

uint32_t ResolutionFittingTest::run(RunContext* context)
{
    if (!hasCompleteContext(context))
        return AttendedSteps::endIncomplete(context);
    FeedbackChannel* feedback = context->feedbackChannel();
    feedback->progress(0, std::string());

    if (!supportsComponent(context->component())) {
        feedback->progress(100, m_reason);
        context->messageSink()->report(m_reason, nullptr, 0);
        return NotPerformed;
    }
    auto* display = dynamic_cast<DisplayInterfaceComponent*>(context->component());
    if (!display)
        return reportInternalError(context);
    return conclude(context, display);
}

uint32_t ResolutionFittingTest::conclude(RunContext* context, DisplayInterfaceComponent* display)
{
    Edid* edid = nullptr;
    if (display->readEdid(edid) != 0)
        return reportInternalError(context);
    if (stopBetweenSteps(context))
        return Aborted;
    if (!edid->isChecksumValid())
        return reportInternalError(context);
    if (stopBetweenSteps(context))
        return Aborted;
    uint32_t nativeWidth = 0;
    if (edid->nativeWidth(nativeWidth) != 0)
        return reportInternalError(context);
    if (stopBetweenSteps(context))
        return Aborted;
    uint32_t nativeHeight = 0;
    if (edid->nativeHeight(nativeHeight) != 0)
        return reportInternalError(context);
    if (stopBetweenSteps(context))
        return Aborted;
    std::vector<DisplayMode*> modes;
    if (display->modes(modes) != 0)
        return reportInternalError(context);
    if (stopBetweenSteps(context))
        return Aborted;

    FeedbackChannel* feedback = context->feedbackChannel();
    feedback->progress(30, std::string());

    // Width and height only, in either orientation; one fitting mode is enough.
    bool fits = false;
    for (DisplayMode* mode : modes) {
        const uint32_t width = mode->width();
        const uint32_t height = mode->height();
        if ((width == nativeWidth && height == nativeHeight) ||
            (width == nativeHeight && height == nativeWidth)) {
            fits = true;
            break;
        }
    }
    const std::string& conclusion =
        fits ? Keys::YOUR_SYSTEM_CAN_TAKE_FULL_ADVANTAGE_OF_YOUR_DISPLAY_RESOLUTION
             : Keys::YOUR_SYSTEM_CANT_REACH_THE_MAXIMUM_RESOLUTION_OF_YOUR_DISPLAY;
    feedback->progress(100, conclusion);
    context->messageSink()->report(conclusion, nullptr, 0);
    return Passed;
}
