#pragma once

#include "module/RunContext.h"
#include "widgets/DisplayWidgetWrapper.h"

#include <cstdint>
#include <string>

class FeedbackChannel;

// Steps shared by the attended tests: the requests they hand to the host (the
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

// The checks shared by every attended test.
bool hasCompleteContext(RunContext* context);
bool isCompromisingEvent(uint32_t code);
} // namespace AttendedSteps
