#include "tests/AbstractAttendedDisplayTest.h"

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

AbstractAttendedDisplayTest::AbstractAttendedDisplayTest(const ItemId& id) : Test(id) {}

AbstractAttendedDisplayTest::~AbstractAttendedDisplayTest() = default;

uint32_t AbstractAttendedDisplayTest::run(RunContext* context)
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
    const uint32_t confirmation = showDescription(context);
    if (shouldStop(context))
        return Aborted;
    if (confirmation != AnswerContinue) {
        feedback->progress(100, std::string());
        return Aborted;
    }

    showPattern(context);
    feedback->progress(50, std::string());
    if (shouldStop(context))
        return Aborted;
    const uint32_t verdict = askCheckQuestion(context);
    if (shouldStop(context))
        return Aborted;

    if (verdict == AnswerNo) {
        feedback->progress(100, Keys::DISPLAY_ATTENDED_TEST_FAILED);
        context->messageSink()->report(Keys::DISPLAY_ATTENDED_TEST_FAILED, nullptr, 0);
        return Failed;
    }
    feedback->progress(100, std::string());
    return verdict == AnswerYes ? Passed : Aborted;
}

bool AbstractAttendedDisplayTest::isAttended()
{
    return true;
}

bool AbstractAttendedDisplayTest::needsUserPresence()
{
    return true;
}

uint32_t AbstractAttendedDisplayTest::showDescription(RunContext* context)
{
    return AttendedSteps::ask(context, m_nameKey, m_descriptionKey, InputRequest::Confirmation);
}

uint32_t AbstractAttendedDisplayTest::askCheckQuestion(RunContext* context)
{
    return AttendedSteps::ask(context, m_nameKey, m_checkKey, InputRequest::YesNo);
}

bool AbstractAttendedDisplayTest::isCompromisingEvent(uint32_t code)
{
    return AttendedSteps::isCompromisingEvent(code);
}

bool AbstractAttendedDisplayTest::hasCompleteContext(RunContext* context)
{
    return AttendedSteps::hasCompleteContext(context);
}

void AbstractAttendedDisplayTest::setKeys(const std::string& nameKey,
                                          const std::string& descriptionKey,
                                          const std::string& checkKey)
{
    m_nameKey = nameKey;
    m_descriptionKey = descriptionKey;
    m_checkKey = checkKey;
    m_displayTimeout = TimeoutSettings::DefaultSeconds;
}

bool AbstractAttendedDisplayTest::configureTimeout(const SettingsMap& settings,
                                                   const std::string& ownKey)
{
    m_displayTimeout = TimeoutSettings::read(settings, ownKey);
    return true;
}

bool AbstractAttendedDisplayTest::checkPreconditions(RunContext* context)
{
    return AttendedSteps::checkPreconditions(
        context, [&] { return supportsComponent(context->component()); }, m_reason);
}

bool AbstractAttendedDisplayTest::shouldStop(RunContext* context)
{
    return AttendedSteps::shouldStop(
        context, [this](uint32_t code) { return isCompromisingEvent(code); },
        [this, context] { return checkPreconditions(context); });
}
