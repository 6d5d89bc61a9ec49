#pragma once

#include "display/platform/DisplayBackend.h"

// A platform without displays: every enumeration is empty and every change
// fails.
class NullBackend : public DisplayBackend
{
public:
    std::string name() const override { return "none"; }
    bool enumDisplayMonitors(const MonitorCallback&) override { return true; }
    bool getMonitorInfo(MonitorHandle, MonitorInfo&) override { return false; }
    bool enumDisplayDevices(const char*, uint32_t, DisplayDevice&) override { return false; }
    bool enumDisplaySettings(const std::string&, int32_t, ModeRecord&) override { return false; }
    int32_t changeDisplaySettings(const std::string&, const ModeRecord*) override
    {
        return ChangeFailed;
    }
    bool presentMonitorDevices(std::vector<MonitorDevice>&) override { return false; }
    bool monitorClassDevices(std::vector<MonitorClassDevice>&) override { return false; }
};
