#pragma once

#include "tests/AbstractAttendedColorTest.h"

// Fills the display under test with blue and asks whether it looked right.
class BluePurityTest : public AbstractAttendedColorTest
{
public:
    static constexpr uint32_t BlueColorIndex = 4;

    explicit BluePurityTest(const ItemId& id);

    bool configure(SettingsMap settings, void* extra) override; // slot 10
    void showPattern(RunContext* context) override;             // slot 15
};
