#pragma once

#include "tests/AbstractAttendedColorTest.h"

// Fills the display under test with black and asks whether it looked right.
class BlackPurityTest : public AbstractAttendedColorTest
{
public:
    static constexpr uint32_t BlackColorIndex = 0;

    explicit BlackPurityTest(const ItemId& id);

    bool configure(SettingsMap settings, void* extra) override; // slot 10
    void showPattern(RunContext* context) override;             // slot 15
};
