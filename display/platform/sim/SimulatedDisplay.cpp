#include "display/platform/sim/SimulatedDisplay.h"

SimulatedDisplay& SimulatedDisplay::at(int32_t x, int32_t y)
{
    left = x;
    top = y;
    return *this;
}

SimulatedDisplay& SimulatedDisplay::withEdid(std::vector<uint8_t> bytes)
{
    edid = std::move(bytes);
    return *this;
}

SimulatedDisplay& SimulatedDisplay::withoutEdid()
{
    edid.reset();
    return *this;
}

SimulatedDisplay& SimulatedDisplay::mode(uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                                         uint32_t frequency, int32_t applyResult)
{
    modes.push_back({width, height, bitsPerPixel, frequency, applyResult});
    return *this;
}

SimulatedDisplay& SimulatedDisplay::current(size_t modeIndex)
{
    currentMode = modeIndex;
    return *this;
}

SimulatedDisplay& SimulatedDisplay::withoutCurrentMode()
{
    currentMode.reset();
    return *this;
}

SimulatedDisplay& SimulatedDisplay::driver(std::string version)
{
    driverVersion = std::move(version);
    return *this;
}

SimulatedDisplay& SimulatedDisplay::inactive()
{
    active = false;
    return *this;
}

SimulatedDisplay& SimulatedDisplay::mirroringDriver()
{
    mirroring = true;
    return *this;
}

SimulatedDisplay& SimulatedDisplay::notPresent()
{
    present = false;
    return *this;
}

SimulatedDisplay& SimulatedDisplay::keyDoesNotOpen()
{
    keyOpens = false;
    return *this;
}

SimulatedDisplay& SimulatedDisplay::restoreFailing()
{
    restoreFails = true;
    return *this;
}

SimulatedDisplay& SimulatedDisplay::modelCode(std::string code)
{
    model = std::move(code);
    return *this;
}

SimulatedDisplay& SimulatedDisplay::deviceIdentifier(std::string id)
{
    deviceId = std::move(id);
    return *this;
}

SimulatedDisplay& SimulatedDisplay::adapter(std::string name)
{
    adapterName = std::move(name);
    return *this;
}

SimulatedDisplay& SimulatedDisplay::registryValue(std::string name, std::vector<uint8_t> data)
{
    extraValues.push_back({std::move(name), std::move(data)});
    return *this;
}
