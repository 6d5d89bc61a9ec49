#pragma once

#include "tests/AbstractAttendedProceduralTest.h"

// Shows tiles of fine glyphs on the display under test and asks whether they
// looked sharp. Its window does not poll for system events; the check after
// it catches them.
class SharpnessTest : public AbstractAttendedProceduralTest
{
public:
    static constexpr uint32_t UnusedMode = 0xFFFFFFFFu;

    explicit SharpnessTest(const ItemId& id);

    bool configure(SettingsMap settings, void* extra) override; // slot 10
    void showPattern(RunContext* context) override;             // slot 15
};
