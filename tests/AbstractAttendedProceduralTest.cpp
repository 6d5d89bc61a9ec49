#include "tests/AbstractAttendedProceduralTest.h"

#include "display/DisplayInterfaceComponent.h"
#include "display/DisplayMode.h"
#include "display/Edid.h"

#include <string>

bool AbstractAttendedProceduralTest::supportsComponent(SystemComponent* component)
{
    auto* display = dynamic_cast<DisplayInterfaceComponent*>(component);
    if (!display)
        return false;
    Edid* edid = nullptr;
    if (display->readEdid(edid) != 0 || !edid || !edid->isChecksumValid())
        return false;
    std::string inputType;
    edid->inputType(inputType);
    if (inputType == "a")
        return false;
    uint32_t nativeWidth = 0;
    uint32_t nativeHeight = 0;
    if (edid->nativeWidth(nativeWidth) != 0 || edid->nativeHeight(nativeHeight) != 0)
        return false;
    DisplayMode* mode = nullptr;
    if (display->currentMode(mode) != 0 || !mode)
        return false;
    const uint32_t width = mode->width();
    const uint32_t height = mode->height();
    return (nativeWidth == width && nativeHeight == height) ||
           (nativeWidth == height && nativeHeight == width);
}
