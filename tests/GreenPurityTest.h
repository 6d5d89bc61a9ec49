#pragma once

#include "tests/AbstractAttendedColorTest.h"

// Fills the display under test with green and asks whether it looked right.
class GreenPurityTest : public AbstractAttendedColorTest
{
public:
    static constexpr uint32_t GreenColorIndex = 3;

    explicit GreenPurityTest(const ItemId& id);

    bool configure(SettingsMap settings, void* extra) override; // slot 10
    void showPattern(RunContext* context) override;             // slot 15
};
