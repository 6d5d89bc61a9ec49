#pragma once

#include "display/platform/DisplayBackend.h"
#include "display/platform/sim/SimulatedDesk.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// A backend that answers from a desk description instead of real hardware.
// Each output of the desk is one monitor of the virtual desktop (outputs in
// the order they first appear); its rectangle is the output's position with
// the size of its current mode. Switching a mode changes the simulated
// current mode; restoring returns the output to the desk's initial mode.
//
// Read-only queries may run on several threads at once; mode changes may not.
class SimulatedBackend : public DisplayBackend
{
public:
    explicit SimulatedBackend(const SimulatedDesk& desk);

    std::string name() const override { return "sim"; }
    bool enumDisplayMonitors(const MonitorCallback& callback) override;
    bool getMonitorInfo(MonitorHandle monitor, MonitorInfo& info) override;
    bool enumDisplayDevices(const char* adapter, uint32_t index, DisplayDevice& device) override;
    bool enumDisplaySettings(const std::string& output, int32_t modeIndex,
                             ModeRecord& mode) override;
    int32_t changeDisplaySettings(const std::string& output, const ModeRecord* mode) override;
    bool presentMonitorDevices(std::vector<MonitorDevice>& devices) override;
    bool monitorClassDevices(std::vector<MonitorClassDevice>& devices) override;
    bool describeDevice(const std::string& output, const std::string& monitorDevice,
                        OutputView& view) override;

    // Index of the mode output runs now; empty when it cannot be read.
    std::optional<size_t> currentModeIndex(const std::string& output) const;
    size_t outputCount() const { return m_outputs.size(); }

private:
    struct Output
    {
        std::string name;
        std::string adapterName;
        int32_t left = 0;
        int32_t top = 0;
        std::vector<SimulatedMode> modes;
        std::optional<size_t> initialMode;
        std::optional<size_t> currentMode;
        bool restoreFails = false;
        std::vector<DisplayDevice> devices;
        std::vector<std::vector<uint8_t>> edids; // per device; empty without one
    };

    static void sizeOf(const Output& output, uint32_t& width, uint32_t& height);
    Output* findOutput(const std::string& name);
    const Output* findOutput(const std::string& name) const;

    std::vector<Output> m_outputs;
    size_t m_primary = 0;
    std::vector<MonitorDevice> m_presentDevices;
    std::vector<MonitorClassDevice> m_classDevices;
    bool m_monitorEnumerationFails = false;
    bool m_monitorInfoFails = false;
    bool m_presentDevicesFail = false;
    bool m_classDevicesFail = false;
};
