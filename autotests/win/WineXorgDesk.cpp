#include "autotests/win/WineXorgDesk.h"

#include "display/platform/win/RegistryKey.h"
#include "display/platform/win/WideText.h"
#include "display/platform/win/Win32Display.h"

#include <windows.h>

bool WineXorgDesk::setDriverVersion(const DisplayDevice& adapter, const std::wstring& version)
{
    RegistryKey key = RegistryKey::openKernelPath(WideText::fromUtf8(adapter.deviceKey),
                                                  KEY_READ | KEY_SET_VALUE);
    if (!key.isOpen())
        return false;
    if (version.empty())
        return RegDeleteValueW(key.handle(), L"DriverVersion") == ERROR_SUCCESS;
    return RegSetValueExW(key.handle(), L"DriverVersion", 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(version.c_str()),
                          static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

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
