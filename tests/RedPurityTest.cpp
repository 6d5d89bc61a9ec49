#include "tests/RedPurityTest.h"

#include "module/Keys.h"
#include "widgets/DisplayPurityWindow.h"

RedPurityTest::RedPurityTest(const ItemId& id) : AbstractAttendedColorTest(id)
{
    setKeys(Keys::DISPLAY_RED_PURITY_TEST, Keys::DISPLAY_RED_PURITY_DESCRIPTION,
            Keys::DISPLAY_GENERAL_PURITY_CHECK);
}

bool RedPurityTest::configure(SettingsMap settings, void*)
{
    return configureTimeout(settings, Keys::CSAT_TEST_TIMEOUT_DISPLAY_RED_PURITY_TEST);
}

void RedPurityTest::showPattern(RunContext* context)
{
    showWindow<DisplayPurityWindow>(context, RedColorIndex, PollSystemEvents);
}
