#pragma once

#include "tests/AbstractAttendedColorTest.h"

// Shows four colour ramps on the display under test and asks whether they looked right.
// Its window does not poll for system events; the check after it catches them.
class ColorTransitionTest : public AbstractAttendedColorTest
{
public:
    static constexpr uint32_t UnusedMode = 0xFFFFFFFFu;

    explicit ColorTransitionTest(const ItemId& id);

    bool configure(SettingsMap settings, void* extra) override; // slot 10
    void showPattern(RunContext* context) override;             // slot 15
};
