#pragma once

#include "tests/AbstractAttendedDisplayTest.h"

// An attended test whose pattern says something about any display: it runs
// on every component.
class AbstractAttendedColorTest : public AbstractAttendedDisplayTest
{
public:
    using AbstractAttendedDisplayTest::AbstractAttendedDisplayTest;

    bool supportsComponent(SystemComponent* component) override; // slot 1
};
