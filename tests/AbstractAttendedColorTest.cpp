#include "tests/AbstractAttendedColorTest.h"

bool AbstractAttendedColorTest::supportsComponent(SystemComponent*)
{
    return true;
}
