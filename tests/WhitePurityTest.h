#pragma once

#include "tests/AbstractAttendedColorTest.h"

// Fills the display under test with white and asks whether it looked right.
class WhitePurityTest : public AbstractAttendedColorTest
{
public:
    static constexpr uint32_t WhiteColorIndex = 1;

    explicit WhitePurityTest(const ItemId& id);

    bool configure(SettingsMap settings, void* extra) override; // slot 10
    void showPattern(RunContext* context) override;             // slot 15
};
