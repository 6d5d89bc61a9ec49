#include "tests/AbstractAttendedDisplayTest.h"

#include "module/FeedbackChannel.h"
#include "module/Keys.h"
#include "module/MessageSink.h"
#include "module/RunContext.h"
#include "module/SystemEventMask.h"
#include "module/TestResult.h"
#include "module/TimeoutSettings.h"
#include "tests/AnswerCode.h"
#include "tests/InputRequest.h"

AbstractAttendedDisplayTest::AbstractAttendedDisplayTest(const ItemId& id) : Test(id) {}

AbstractAttendedDisplayTest::~AbstractAttendedDisplayTest() = default;

uint32_t AbstractAttendedDisplayTest::run(RunContext* context)
{
    if (!hasCompleteContext(context)) {
        if (context && context->feedbackChannel())
            context->feedbackChannel()->progress(100, std::string());
        return NotRun;
    }
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
    if (!context->feedbackChannel()->inputTypeRecognized()) {
        m_reason = Keys::
            THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_APPLICATION_COULD_NOT_RECOGNIZE_THE_INPUT_TYPE;
        return false;
    }
    if (!supportsComponent(context->component())) {
        m_reason = Keys::
            THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED;
        return false;
    }
    return true;
}

bool AbstractAttendedDisplayTest::shouldStop(RunContext* context)
{
    FeedbackChannel* feedback = context->feedbackChannel();
    if (context->stopRequested()) {
        feedback->progress(100, std::string());
        return true;
    }
    const uint32_t* word = context->systemEventWord();
    if (word && isCompromisingEvent(readSystemEventWord(word))) {
        const std::string& key = Keys::
            TEST_ABORTED_BECAUSE_A_SYSTEM_EVENT_THAT_COULD_COMPROMISE_THE_OUTCOME_HAS_HAPPENED;
        feedback->progress(100, key);
        context->messageSink()->report(key, nullptr, 0);
        return true;
    }
    if (!checkPreconditions(context)) {
        feedback->progress(100, std::string()); // the new reason is kept, not reported
        return true;
    }
    return false;
}
