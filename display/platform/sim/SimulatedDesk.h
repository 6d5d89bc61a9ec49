#pragma once

#include "display/platform/sim/SimulatedDisplay.h"

#include <deque>
#include <string>

// An in-memory description of a desk for the simulated backend: the monitor
// devices in the order the platform reports them, and which whole-platform
// queries fail.
class SimulatedDesk
{
public:
    // Appends a monitor device on output; the reference stays valid for the
    // desk's lifetime.
    SimulatedDisplay& display(const std::string& output);

    SimulatedDesk& failMonitorEnumeration();
    SimulatedDesk& failMonitorInfo();
    SimulatedDesk& failPresentDevices();
    SimulatedDesk& failClassDevices();

    const std::deque<SimulatedDisplay>& displays() const { return m_displays; }
    bool monitorEnumerationFails() const { return m_monitorEnumerationFails; }
    bool monitorInfoFails() const { return m_monitorInfoFails; }
    bool presentDevicesFail() const { return m_presentDevicesFail; }
    bool classDevicesFail() const { return m_classDevicesFail; }

private:
    std::deque<SimulatedDisplay> m_displays;
    bool m_monitorEnumerationFails = false;
    bool m_monitorInfoFails = false;
    bool m_presentDevicesFail = false;
    bool m_classDevicesFail = false;
};
