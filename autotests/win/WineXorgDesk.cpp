#include "autotests/win/WineXorgDesk.h"

#include "display/platform/win/Win32Display.h"

void WineXorgDesk::SetUp()
{
    if (!onServer("xorg-dummy"))
        GTEST_SKIP() << "needs the Xorg dummy server (scripts/wine-tests.sh)";
}

void WineXorgDesk::TearDown()
{
    if (!onServer("xorg-dummy"))
        return;
    Win32Display::change("\\\\.\\DISPLAY2", nullptr, false);
    Win32Display::change("\\\\.\\DISPLAY1", nullptr, false);
    xrandr("--output DUMMY0 --mode 1920x1080 --pos 0x0 --primary --output DUMMY1 --mode "
           "1280x720 --pos 1920x0");
    waitFor([] { return Win32Display::monitors().size() == 2; });
}
