#include "tests/BlackPurityTest.h"

#include "module/Keys.h"
#include "widgets/DisplayPurityWindow.h"

BlackPurityTest::BlackPurityTest(const ItemId& id) : AbstractAttendedColorTest(id)
{
    setKeys(Keys::DISPLAY_BLACK_PURITY_TEST, Keys::DISPLAY_BLACK_PURITY_DESCRIPTION,
            Keys::DISPLAY_GENERAL_PURITY_CHECK);
}

bool BlackPurityTest::configure(SettingsMap settings, void*)
{
    return configureTimeout(settings, Keys::CSAT_TEST_TIMEOUT_DISPLAY_BLACK_PURITY_TEST);
}

void BlackPurityTest::showPattern(RunContext* context)
{
    showWindow<DisplayPurityWindow>(context, BlackColorIndex, PollSystemEvents);
}
