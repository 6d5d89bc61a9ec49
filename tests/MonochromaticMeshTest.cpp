#include "tests/MonochromaticMeshTest.h"

#include "module/Keys.h"
#include "widgets/DisplayMeshWindow.h"

MonochromaticMeshTest::MonochromaticMeshTest(const ItemId& id) : AbstractAttendedProceduralTest(id)
{
    setKeys(Keys::DISPLAY_MONOCHROMATIC_MESH_TEST, Keys::DISPLAY_MONOCHROMATIC_MESH_DESCRIPTION,
            Keys::DISPLAY_MONOCHROMATIC_MESH_CHECK);
}

bool MonochromaticMeshTest::configure(SettingsMap settings, void*)
{
    return configureTimeout(settings, Keys::CSAT_TEST_TIMEOUT_DISPLAY_MONOCHROMATIC_MESH_TEST);
}

void MonochromaticMeshTest::showPattern(RunContext* context)
{
    showWindow<DisplayMeshWindow>(context, PlainMesh, PollSystemEvents);
}
