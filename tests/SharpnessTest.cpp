#include "tests/SharpnessTest.h"

#include "module/Keys.h"
#include "widgets/DisplayMemeWindow.h"

SharpnessTest::SharpnessTest(const ItemId& id) : AbstractAttendedProceduralTest(id)
{
    setKeys(Keys::DISPLAY_SHARPNESS_TEST, Keys::DISPLAY_SHARPNESS_DESCRIPTION,
            Keys::DISPLAY_SHARPNESS_CHECK);
}

bool SharpnessTest::configure(SettingsMap settings, void*)
{
    return configureTimeout(settings, Keys::CSAT_TEST_TIMEOUT_DISPLAY_SHARPNESS_TEST);
}

void SharpnessTest::showPattern(RunContext* context)
{
    showWindow<DisplayMemeWindow>(context, UnusedMode, NoSystemEventPolling);
}
