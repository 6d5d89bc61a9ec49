#include "tests/GreenPurityTest.h"

#include "module/Keys.h"
#include "widgets/DisplayPurityWindow.h"

GreenPurityTest::GreenPurityTest(const ItemId& id) : AbstractAttendedColorTest(id)
{
    setKeys(Keys::DISPLAY_GREEN_PURITY_TEST, Keys::DISPLAY_GREEN_PURITY_DESCRIPTION,
            Keys::DISPLAY_GENERAL_PURITY_CHECK);
}

bool GreenPurityTest::configure(SettingsMap settings, void*)
{
    return configureTimeout(settings, Keys::CSAT_TEST_TIMEOUT_DISPLAY_GREEN_PURITY_TEST);
}

void GreenPurityTest::showPattern(RunContext* context)
{
    showWindow<DisplayPurityWindow>(context, GreenColorIndex, PollSystemEvents);
}
