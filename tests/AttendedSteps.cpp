#include "tests/AttendedSteps.h"

#include "display/DisplayInterfaceComponent.h"
#include "display/DisplayMode.h"
#include "module/FeedbackChannel.h"
#include "module/Keys.h"
#include "module/MessageSink.h"
#include "module/SystemEventMask.h"
#include "module/TestResult.h"
#include "tests/InputRequest.h"

bool AttendedSteps::displayRectangle(RunContext* context, int32_t& x, int32_t& y, int32_t& width,
                                     int32_t& height)
{
    auto* display = dynamic_cast<DisplayInterfaceComponent*>(context->component());
    if (!display)
        return false;
    DisplayMode* mode = nullptr;
    if (display->currentMode(mode) != 0 || !mode)
        return false;
    x = display->monitorLeft();
    y = display->monitorTop();
    width = static_cast<int32_t>(mode->width());
    height = static_cast<int32_t>(mode->height());
    return true;
}

uint32_t AttendedSteps::send(RunContext* context, AbstractWidgetWrapper& wrapper)
{
    InputRequest request(std::string(), std::string(), InputRequest::WindowOnly,
                         InputRequest::WindowResultAnswer, 0);
    request.widget = &wrapper;
    context->feedbackChannel()->request(request);
    return request.answer;
}

uint32_t AttendedSteps::ask(RunContext* context, const std::string& title, const std::string& text,
                            uint32_t answerSet)
{
    InputRequest request(title, text, InputRequest::TextDialog, answerSet, 0);
    context->feedbackChannel()->request(request);
    return request.answer;
}

bool AttendedSteps::hasCompleteContext(RunContext* context)
{
    return context && context->feedbackChannel() && context->messageSink() &&
           context->systemEventWord() && context->component();
}

bool AttendedSteps::isCompromisingEvent(uint32_t code)
{
    return (code & SystemEventMask) != 0;
}

uint32_t AttendedSteps::endIncomplete(RunContext* context)
{
    if (context && context->feedbackChannel())
        context->feedbackChannel()->progress(100, std::string());
    return NotRun;
}

bool AttendedSteps::checkPreconditions(RunContext* context,
                                       const std::function<bool()>& supportsComponent,
                                       std::string& reason)
{
    if (!context->feedbackChannel()->inputTypeRecognized()) {
        reason = Keys::
            THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_APPLICATION_COULD_NOT_RECOGNIZE_THE_INPUT_TYPE;
        return false;
    }
    if (!supportsComponent()) {
        reason = Keys::
            THIS_TEST_CANNOT_BE_PERFORMED_BECAUSE_THE_DEVICE_COULD_NOT_BE_IDENTIFIED_OR_HAS_BEEN_DISCONNECTED;
        return false;
    }
    return true;
}

bool AttendedSteps::stopOrSystemEvent(RunContext* context,
                                      const std::function<bool(uint32_t)>& isCompromisingEvent)
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
    return false;
}

bool AttendedSteps::shouldStop(RunContext* context,
                               const std::function<bool(uint32_t)>& isCompromisingEvent,
                               const std::function<bool()>& checkPreconditions)
{
    if (stopOrSystemEvent(context, isCompromisingEvent))
        return true;
    if (!checkPreconditions()) {
        context->feedbackChannel()->progress(100, std::string());
        return true;
    }
    return false;
}
