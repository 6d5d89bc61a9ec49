#include "display/platform/CardDriverVersion.h"

#include "display/platform/win/Win32Display.h"

std::optional<std::string> CardDriverVersion::read(const std::string&, const std::string&,
                                                   const std::string& card)
{
    // The card is the adapter's name ("\\.\DISPLAY1").
    for (const DisplayDevice& adapter : Win32Display::adapters())
        if (adapter.deviceName == card)
            return Win32Display::adapterDriverVersion(adapter);
    return std::nullopt;
}
