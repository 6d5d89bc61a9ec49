#pragma once

#include "display/DisplayInterfaceComponent.h"
#include "display/platform/DisplayBackend.h"
#include "display/platform/DisplayDevice.h"
#include "display/platform/MonitorInfo.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One attached display as the platform reports it: the monitor that shows it
// and the monitor device attached to that monitor's output. Every query goes
// to the platform afresh; the objects handed out belong to the component and
// are replaced by the next call of the same operation.
class DisplayInterfaceComponentWindows : public DisplayInterfaceComponent
{
public:
    // Size of the buffer the EDID search reads registry values into.
    static constexpr size_t EdidBufferSize = 1024;

    DisplayInterfaceComponentWindows(const std::string& id, DisplayBackend::MonitorHandle monitor,
                                     const MonitorInfo& info, const DisplayDevice& device);
    ~DisplayInterfaceComponentWindows() override;

    DisplayInterfaceComponentWindows(const DisplayInterfaceComponentWindows&) = delete;
    DisplayInterfaceComponentWindows& operator=(const DisplayInterfaceComponentWindows&) = delete;

    int32_t currentMode(DisplayMode*& mode) override;
    int32_t modes(std::vector<DisplayMode*>& modes) override;
    int32_t readEdid(Edid*& edid) override;
    int32_t calibrationStatus(uint32_t) override { return 1; }
    bool restoreDisplaySettings() override;
    void collectProperties() override;
    int32_t monitorLeft() override { return m_monitorInfo.rcMonitor.left; }
    int32_t monitorTop() override { return m_monitorInfo.rcMonitor.top; }

    DisplayBackend::MonitorHandle monitorHandle() const { return m_monitor; }
    const MonitorInfo& monitorInfo() const { return m_monitorInfo; }
    const DisplayDevice& displayDevice() const { return m_device; }

    // The model code cut from a device identifier ("MONITOR\<model>\..."), or
    // "err" when the identifier has no second segment ending in a backslash.
    static std::string modelCodeOf(const std::string& deviceId);

private:
    using EdidBuffer = std::array<uint8_t, EdidBufferSize>;

    bool searchEdid(const std::string& modelCode, EdidBuffer& buffer) const;
    static bool readEdidValue(const MonitorDevice& device, EdidBuffer& buffer);
    bool lookUpDriverVersion();
    void deleteModes();

    DisplayBackend::MonitorHandle m_monitor;
    MonitorInfo m_monitorInfo;
    DisplayDevice m_device;
};
