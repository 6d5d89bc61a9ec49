#pragma once

#include "tests/AbstractAttendedProceduralTest.h"

// Shows the mesh variant whose top row stays black and asks whether it looked
// right; it shares the plain mesh test's texts.
class InvertedMonochromaticMeshTest : public AbstractAttendedProceduralTest
{
public:
    static constexpr uint32_t TopRowBlackMesh = 1;

    explicit InvertedMonochromaticMeshTest(const ItemId& id);

    bool configure(SettingsMap settings, void* extra) override; // slot 10
    void showPattern(RunContext* context) override;             // slot 15
};
