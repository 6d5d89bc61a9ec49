#include "tests/WhitePurityTest.h"

#include "module/Keys.h"
#include "widgets/DisplayPurityWindow.h"

WhitePurityTest::WhitePurityTest(const ItemId& id) : AbstractAttendedColorTest(id)
{
    setKeys(Keys::DISPLAY_WHITE_PURITY_TEST, Keys::DISPLAY_WHITE_PURITY_DESCRIPTION,
            Keys::DISPLAY_GENERAL_PURITY_CHECK);
}

bool WhitePurityTest::configure(SettingsMap settings, void*)
{
    return configureTimeout(settings, Keys::CSAT_TEST_TIMEOUT_DISPLAY_WHITE_PURITY_TEST);
}

void WhitePurityTest::showPattern(RunContext* context)
{
    showWindow<DisplayPurityWindow>(context, WhiteColorIndex, PollSystemEvents);
}
