#pragma once

#include "tests/AbstractAttendedColorTest.h"

// Fills the display under test with red and asks whether it looked right.
class RedPurityTest : public AbstractAttendedColorTest
{
public:
    static constexpr uint32_t RedColorIndex = 2;

    explicit RedPurityTest(const ItemId& id);

    bool configure(SettingsMap settings, void* extra) override; // slot 10
    void showPattern(RunContext* context) override;             // slot 15
};
