#include "tests/InvertedMonochromaticMeshTest.h"

#include "module/Keys.h"
#include "widgets/DisplayMeshWindow.h"

InvertedMonochromaticMeshTest::InvertedMonochromaticMeshTest(const ItemId& id)
    : AbstractAttendedProceduralTest(id)
{
    setKeys(Keys::DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST,
            Keys::DISPLAY_MONOCHROMATIC_MESH_DESCRIPTION, Keys::DISPLAY_MONOCHROMATIC_MESH_CHECK);
}

bool InvertedMonochromaticMeshTest::configure(SettingsMap settings, void*)
{
    return configureTimeout(settings,
                            Keys::CSAT_TEST_TIMEOUT_DISPLAY_INVERTED_MONOCHROMATIC_MESH_TEST);
}

void InvertedMonochromaticMeshTest::showPattern(RunContext* context)
{
    showWindow<DisplayMeshWindow>(context, TopRowBlackMesh, PollSystemEvents);
}
