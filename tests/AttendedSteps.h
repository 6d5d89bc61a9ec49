#pragma once

#include "module/RunContext.h"
#include "widgets/DisplayWidgetWrapper.h"

#include <cstdint>
#include <functional>
#include <string>

class FeedbackChannel;

// Steps shared by the module's tests: the requests they hand to the host (the
// text questions and the window request that carries a test window to the
// display under test) and the checks made between the steps.
namespace AttendedSteps {
// The rectangle of the component's display in desktop coordinates: its
// monitor's top-left corner and its current mode's size. False when the
// component is not a display or its current mode cannot be read.
bool displayRectangle(RunContext* context, int32_t& x, int32_t& y, int32_t& width, int32_t& height);

template <typename Window> bool place(RunContext* context, DisplayWidgetWrapper<Window>& wrapper)
{
    return displayRectangle(context, wrapper.x, wrapper.y, wrapper.width, wrapper.height);
}

// Hands the wrapper to the host and returns the window's result.
uint32_t send(RunContext* context, AbstractWidgetWrapper& wrapper);

// Asks a text question and returns the host's answer code.
uint32_t ask(RunContext* context, const std::string& title, const std::string& text,
             uint32_t answerSet);

// The checks shared by the module's tests.
bool hasCompleteContext(RunContext* context);
bool isCompromisingEvent(uint32_t code);

// The exit for an incomplete context: a last progress report when there is a
// feedback channel to take it, and NotRun.
uint32_t endIncomplete(RunContext* context);

// The input-type and component preconditions, in that order (the component
// check may read the display, so it runs only when input can be taken). On
// failure reason names the one that failed.
bool checkPreconditions(RunContext* context, const std::function<bool()>& supportsComponent,
                        std::string& reason);

// The first two checks between steps: a stop request ends the run with a
// bare progress 100; a compromising system event also reports why.
bool stopOrSystemEvent(RunContext* context,
                       const std::function<bool(uint32_t)>& isCompromisingEvent);

// The check between the steps of an attended test: the two above, then the
// preconditions again; a precondition that no longer holds ends the run with
// a bare progress 100 and its reason is not reported.
bool shouldStop(RunContext* context, const std::function<bool(uint32_t)>& isCompromisingEvent,
                const std::function<bool()>& checkPreconditions);
} // namespace AttendedSteps
