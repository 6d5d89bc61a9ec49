#include "tests/BluePurityTest.h"

#include "module/Keys.h"
#include "widgets/DisplayPurityWindow.h"

BluePurityTest::BluePurityTest(const ItemId& id) : AbstractAttendedColorTest(id)
{
    setKeys(Keys::DISPLAY_BLUE_PURITY_TEST, Keys::DISPLAY_BLUE_PURITY_DESCRIPTION,
            Keys::DISPLAY_GENERAL_PURITY_CHECK);
}

bool BluePurityTest::configure(SettingsMap settings, void*)
{
    return configureTimeout(settings, Keys::CSAT_TEST_TIMEOUT_DISPLAY_BLUE_PURITY_TEST);
}

void BluePurityTest::showPattern(RunContext* context)
{
    showWindow<DisplayPurityWindow>(context, BlueColorIndex, PollSystemEvents);
}
