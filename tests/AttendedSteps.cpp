#include "tests/AttendedSteps.h"

#include "display/DisplayInterfaceComponent.h"
#include "display/DisplayMode.h"
#include "module/FeedbackChannel.h"
#include "module/SystemEventMask.h"
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
