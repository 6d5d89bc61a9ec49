#pragma once

#include "tests/AbstractAttendedDisplayTest.h"

// An attended test whose pixel-exact pattern only means something on a
// digital display that identifies itself through a valid EDID and runs at its
// native resolution (either way round, so a display turned by 90 degrees
// passes).
class AbstractAttendedProceduralTest : public AbstractAttendedDisplayTest
{
public:
    using AbstractAttendedDisplayTest::AbstractAttendedDisplayTest;

    bool supportsComponent(SystemComponent* component) override; // slot 1
};
