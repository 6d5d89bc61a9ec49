#include "tests/ColorTransitionTest.h"

#include "module/Keys.h"
#include "widgets/DisplayColorTransitionWindow.h"

ColorTransitionTest::ColorTransitionTest(const ItemId& id) : AbstractAttendedColorTest(id)
{
    setKeys(Keys::DISPLAY_COLOR_TRANSITION_TEST, Keys::DISPLAY_COLOR_TRANSITION_DESCRIPTION,
            Keys::DISPLAY_COLOR_TRANSITION_CHECK);
}

bool ColorTransitionTest::configure(SettingsMap settings, void*)
{
    return configureTimeout(settings, Keys::CSAT_TEST_TIMEOUT_DISPLAY_COLOR_TRANSITION_TEST);
}

void ColorTransitionTest::showPattern(RunContext* context)
{
    showWindow<DisplayColorTransitionWindow>(context, UnusedMode, NoSystemEventPolling);
}
