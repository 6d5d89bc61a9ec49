#include "tests/GeneralDisplayInteractiveTest.h"

#include "module/FeedbackChannel.h"
#include "module/Keys.h"
#include "module/MessageSink.h"
#include "module/RunContext.h"
#include "module/SystemEventMask.h"
#include "module/TestResult.h"
#include "module/TimeoutSettings.h"
#include "tests/AnswerCode.h"
#include "tests/AttendedSteps.h"
#include "tests/InputRequest.h"
#include "widgets/DisplayWidgetWrapper.h"
#include "widgets/WindowResult.h"

namespace {
// The window arms no time-out whatever this says; it waits for an answer.
constexpr uint32_t WindowTimeoutSeconds = 5;
constexpr uint32_t UnusedMode = 0xFFFFFFFFu;
} // namespace

GeneralDisplayInteractiveTest::GeneralDisplayInteractiveTest(const ItemId& id)
    : Test(id), m_nameKey(Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_TEST),
      m_descriptionKey(Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_DESCRIPTION),
      m_displayTimeout(TimeoutSettings::DefaultSeconds)
{}

GeneralDisplayInteractiveTest::~GeneralDisplayInteractiveTest() = default;

bool GeneralDisplayInteractiveTest::supportsComponent(SystemComponent*)
{
    return true;
}

uint32_t GeneralDisplayInteractiveTest::run(RunContext* context)
{
    if (!hasCompleteContext(context))
        return AttendedSteps::endIncomplete(context);
    FeedbackChannel* feedback = context->feedbackChannel();
    feedback->progress(0, std::string());

    if (!checkPreconditions(context)) {
        feedback->progress(100, m_reason);
        context->messageSink()->report(m_reason, nullptr, 0);
        return NotPerformed;
    }
    if (shouldStop(context))
        return Aborted;
    uint32_t answer = showDescription(context);
    if (shouldStop(context))
        return Aborted;
    if (answer != AnswerContinue) {
        feedback->progress(100, std::string());
        return Aborted;
    }

    answer = showInteractiveWindow(context, answer);
    if (shouldStop(context))
        return Aborted;

    if (answer == Wrong) {
        feedback->progress(100, Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_FAILED);
        context->messageSink()->report(Keys::DISPLAY_GENERAL_DISPLAY_INTERACTIVE_FAILED, nullptr,
                                       0);
        return Failed;
    }
    // Escape, a system event the check above did not catch, or no window.
    feedback->progress(100, std::string());
    return answer == Correct ? Passed : Aborted;
}

bool GeneralDisplayInteractiveTest::isAttended()
{
    return true;
}

bool GeneralDisplayInteractiveTest::configure(SettingsMap settings, void*)
{
    m_displayTimeout = TimeoutSettings::readGeneral(settings);
    return true;
}

bool GeneralDisplayInteractiveTest::needsUserPresence()
{
    return true;
}

uint32_t GeneralDisplayInteractiveTest::showDescription(RunContext* context)
{
    return AttendedSteps::ask(context, m_nameKey, m_descriptionKey, InputRequest::Confirmation);
}

bool GeneralDisplayInteractiveTest::isCompromisingEvent(uint32_t code)
{
    return AttendedSteps::isCompromisingEvent(code);
}

bool GeneralDisplayInteractiveTest::hasCompleteContext(RunContext* context)
{
    return AttendedSteps::hasCompleteContext(context);
}

// Without a readable current mode no window is shown and the answer stays as
// it was (the confirmation), which ends the run as aborted.
uint32_t GeneralDisplayInteractiveTest::showInteractiveWindow(RunContext* context, uint32_t answer)
{
    DisplayWidgetWrapper<DisplayInteractiveWidget> wrapper;
    if (!AttendedSteps::place(context, wrapper))
        return answer;
    wrapper.mode = UnusedMode;
    wrapper.systemEventWord = context->systemEventWord();
    wrapper.timeoutSeconds = WindowTimeoutSeconds;
    return AttendedSteps::send(context, wrapper);
}

bool GeneralDisplayInteractiveTest::checkPreconditions(RunContext* context)
{
    return AttendedSteps::checkPreconditions(
        context, [&] { return supportsComponent(context->component()); }, m_reason);
}

bool GeneralDisplayInteractiveTest::shouldStop(RunContext* context)
{
    return AttendedSteps::shouldStop(
        context, [this](uint32_t code) { return isCompromisingEvent(code); },
        [this, context] { return checkPreconditions(context); });
}
