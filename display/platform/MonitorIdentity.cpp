#include "display/platform/MonitorIdentity.h"

#include <cstdio>

namespace {
const char* const MonitorClassGuid = "{4d36e96e-e325-11ce-bfc1-08002be10318}";
}

std::string MonitorIdentity::modelCode(const std::vector<uint8_t>& edid)
{
    if (edid.size() < 12)
        return {};
    const unsigned id = (unsigned(edid[8]) << 8) | edid[9];
    const unsigned product = (unsigned(edid[11]) << 8) | edid[10];
    char text[16];
    std::snprintf(text, sizeof text, "%c%c%c%04X", char(((id >> 10) & 31) + 64),
                  char(((id >> 5) & 31) + 64), char((id & 31) + 64), product);
    return text;
}

std::string MonitorIdentity::deviceId(const std::string& model, unsigned instance)
{
    char number[16];
    std::snprintf(number, sizeof number, "%04u", instance % 10000);
    if (model.empty())
        return std::string("MONITOR\\Default_Monitor");
    return "MONITOR\\" + model + "\\" + MonitorClassGuid + "\\" + number;
}

std::string MonitorIdentity::instanceId(const std::string& model, unsigned instance)
{
    char part[32];
    std::snprintf(part, sizeof part, "5&1d6c2a0&0&UID%u", 4352 + instance);
    return "DISPLAY\\" + (model.empty() ? std::string("Default_Monitor") : model) + "\\" + part;
}

std::string MonitorIdentity::hardwareId(const std::string& model)
{
    return "MONITOR\\" + model;
}
