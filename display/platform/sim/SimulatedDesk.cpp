#include "display/platform/sim/SimulatedDesk.h"

SimulatedDisplay& SimulatedDesk::display(const std::string& output)
{
    m_displays.emplace_back(output);
    return m_displays.back();
}

SimulatedDesk& SimulatedDesk::failMonitorEnumeration()
{
    m_monitorEnumerationFails = true;
    return *this;
}

SimulatedDesk& SimulatedDesk::failMonitorInfo()
{
    m_monitorInfoFails = true;
    return *this;
}

SimulatedDesk& SimulatedDesk::failPresentDevices()
{
    m_presentDevicesFail = true;
    return *this;
}

SimulatedDesk& SimulatedDesk::failClassDevices()
{
    m_classDevicesFail = true;
    return *this;
}
