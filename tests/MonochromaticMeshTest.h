#pragma once

#include "tests/AbstractAttendedProceduralTest.h"

// Shows a one-pixel checkerboard of white dots on the display under test and
// asks whether it looked right.
class MonochromaticMeshTest : public AbstractAttendedProceduralTest
{
public:
    static constexpr uint32_t PlainMesh = 0;

    explicit MonochromaticMeshTest(const ItemId& id);

    bool configure(SettingsMap settings, void* extra) override; // slot 10
    void showPattern(RunContext* context) override;             // slot 15
};
