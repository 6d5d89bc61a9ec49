#include "display/platform/sim/SimulatedBackend.h"

#include "display/platform/MonitorIdentity.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {
// Monitor handles are opaque to the module; these make them non-zero and
// unlike small indices.
constexpr DisplayBackend::MonitorHandle FirstHandle = 0x10001;

int32_t clampedEdge(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}
} // namespace

SimulatedBackend::SimulatedBackend(const SimulatedDesk& desk)
    : m_monitorEnumerationFails(desk.monitorEnumerationFails()),
      m_monitorInfoFails(desk.monitorInfoFails()), m_presentDevicesFail(desk.presentDevicesFail()),
      m_classDevicesFail(desk.classDevicesFail())
{
    unsigned instance = 0;
    for (const SimulatedDisplay& display : desk.displays()) {
        Output* output = findOutput(display.output);
        if (!output) {
            Output added;
            added.name = display.output;
            added.adapterName = display.adapterName.value_or(display.output);
            added.left = display.left;
            added.top = display.top;
            added.modes = display.modes;
            if (display.currentMode && *display.currentMode < display.modes.size())
                added.initialMode = display.currentMode;
            added.currentMode = added.initialMode;
            added.restoreFails = display.restoreFails;
            m_outputs.push_back(std::move(added));
            output = &m_outputs.back();
        }

        const std::string model = display.model.value_or(
            display.edid ? MonitorIdentity::modelCode(*display.edid) : std::string());

        DisplayDevice device;
        device.deviceName =
            output->adapterName + "\\Monitor" + std::to_string(output->devices.size());
        device.deviceString = "Simulated monitor";
        device.stateFlags = (display.active ? DisplayDevice::Active : 0u) |
                            (display.mirroring ? DisplayDevice::MirroringDriver : 0u);
        device.deviceId = display.deviceId.value_or(MonitorIdentity::deviceId(model, instance));
        device.deviceKey = "sim\\monitor\\" + std::to_string(instance);
        output->devices.push_back(std::move(device));
        output->edids.push_back(display.edid.value_or(std::vector<uint8_t>()));

        if (display.present) {
            MonitorDevice present;
            present.instanceId = MonitorIdentity::instanceId(model, instance);
            present.keyOpens = display.keyOpens;
            present.hardwareKeyValues = display.extraValues;
            if (display.edid)
                present.hardwareKeyValues.push_back({"EDID", *display.edid});
            m_presentDevices.push_back(std::move(present));
        }
        m_classDevices.push_back({MonitorIdentity::hardwareId(model), display.driverVersion});
        ++instance;
    }

    // The primary monitor is the one at the desktop's origin.
    for (size_t i = 0; i < m_outputs.size(); ++i) {
        if (m_outputs[i].left == 0 && m_outputs[i].top == 0) {
            m_primary = i;
            break;
        }
    }
}

SimulatedBackend::Output* SimulatedBackend::findOutput(const std::string& name)
{
    for (Output& output : m_outputs) {
        if (output.name == name)
            return &output;
    }
    return nullptr;
}

const SimulatedBackend::Output* SimulatedBackend::findOutput(const std::string& name) const
{
    return const_cast<SimulatedBackend*>(this)->findOutput(name);
}

void SimulatedBackend::sizeOf(const Output& output, uint32_t& width, uint32_t& height)
{
    // A monitor whose current mode cannot be read takes the size of its first
    // listed mode.
    if (output.currentMode) {
        width = output.modes[*output.currentMode].width;
        height = output.modes[*output.currentMode].height;
    } else if (!output.modes.empty()) {
        width = output.modes.front().width;
        height = output.modes.front().height;
    }
}

bool SimulatedBackend::enumDisplayMonitors(const MonitorCallback& callback)
{
    if (m_monitorEnumerationFails)
        return false;
    for (size_t i = 0; i < m_outputs.size(); ++i) {
        if (!callback(FirstHandle + i))
            break;
    }
    return true;
}

bool SimulatedBackend::getMonitorInfo(MonitorHandle monitor, MonitorInfo& info)
{
    if (m_monitorInfoFails || monitor < FirstHandle || monitor - FirstHandle >= m_outputs.size())
        return false;
    const size_t index = monitor - FirstHandle;
    const Output& output = m_outputs[index];
    uint32_t width = 0;
    uint32_t height = 0;
    sizeOf(output, width, height);
    info.rcMonitor = {output.left, output.top, clampedEdge(int64_t(output.left) + width),
                      clampedEdge(int64_t(output.top) + height)};
    info.rcWork = info.rcMonitor;
    info.flags = index == m_primary ? MonitorInfo::PrimaryMonitor : 0u;
    info.device = output.name;
    return true;
}

bool SimulatedBackend::enumDisplayDevices(const char* adapter, uint32_t index,
                                          DisplayDevice& device)
{
    if (!adapter) {
        if (index >= m_outputs.size())
            return false;
        const Output& output = m_outputs[index];
        device = DisplayDevice();
        device.deviceName = output.adapterName;
        device.deviceString = "Simulated display adapter";
        device.stateFlags = DisplayDevice::AttachedToDesktop |
                            (index == m_primary ? DisplayDevice::PrimaryDevice : 0u);
        device.deviceId = "SIM\\OUTPUT\\" + std::to_string(index);
        return true;
    }
    for (const Output& output : m_outputs) {
        if (output.adapterName == adapter) {
            if (index >= output.devices.size())
                return false;
            device = output.devices[index];
            return true;
        }
    }
    return false;
}

bool SimulatedBackend::enumDisplaySettings(const std::string& outputName, int32_t modeIndex,
                                           ModeRecord& mode)
{
    const Output* output = findOutput(outputName);
    if (!output)
        return false;
    size_t index = 0;
    if (modeIndex == CurrentSettings) {
        if (!output->currentMode)
            return false;
        index = *output->currentMode;
    } else {
        if (modeIndex < 0 || size_t(modeIndex) >= output->modes.size())
            return false;
        index = size_t(modeIndex);
    }
    const SimulatedMode& listed = output->modes[index];
    mode = ModeRecord();
    mode.width = listed.width;
    mode.height = listed.height;
    mode.bitsPerPixel = listed.bitsPerPixel;
    mode.frequency = listed.frequency;
    mode.nativeId = index;
    return true;
}

int32_t SimulatedBackend::changeDisplaySettings(const std::string& outputName,
                                                const ModeRecord* mode)
{
    Output* output = findOutput(outputName);
    if (!output)
        return ChangeBadParam;
    if (!mode) {
        if (output->restoreFails)
            return ChangeFailed;
        output->currentMode = output->initialMode;
        return ChangeSuccessful;
    }
    // Only a mode the output lists can be switched to; a depth or rate of 0
    // means any, as on every other backend.
    if (mode->nativeId >= output->modes.size())
        return ChangeBadMode;
    const SimulatedMode& listed = output->modes[mode->nativeId];
    if (listed.width != mode->width || listed.height != mode->height ||
        (mode->bitsPerPixel != 0 && listed.bitsPerPixel != mode->bitsPerPixel) ||
        (mode->frequency != 0 && listed.frequency != mode->frequency))
        return ChangeBadMode;
    if (listed.applyResult == ChangeSuccessful)
        output->currentMode = size_t(mode->nativeId);
    return listed.applyResult;
}

bool SimulatedBackend::presentMonitorDevices(std::vector<MonitorDevice>& devices)
{
    if (m_presentDevicesFail)
        return false;
    devices = m_presentDevices;
    return true;
}

bool SimulatedBackend::monitorClassDevices(std::vector<MonitorClassDevice>& devices)
{
    if (m_classDevicesFail)
        return false;
    devices = m_classDevices;
    return true;
}

bool SimulatedBackend::describeDevice(const std::string& outputName,
                                      const std::string& monitorDevice, OutputView& view)
{
    const Output* output = findOutput(outputName);
    if (!output)
        return false;
    size_t device = 0;
    while (device < output->devices.size() && output->devices[device].deviceName != monitorDevice)
        ++device;
    if (device == output->devices.size())
        return false;
    view.connector = output->name;
    view.x = output->left;
    view.y = output->top;
    sizeOf(*output, view.width, view.height);
    view.primary = size_t(output - m_outputs.data()) == m_primary;
    for (size_t m = 0; m < output->modes.size(); ++m) {
        OutputMode mode;
        mode.width = output->modes[m].width;
        mode.height = output->modes[m].height;
        mode.refreshHz = double(output->modes[m].frequency);
        mode.current = output->currentMode == m;
        if (mode.current)
            view.refreshHz = mode.refreshHz;
        view.modes.push_back(mode);
    }
    view.edid = output->edids[device];
    return true;
}

std::optional<size_t> SimulatedBackend::currentModeIndex(const std::string& output) const
{
    const Output* found = findOutput(output);
    return found ? found->currentMode : std::nullopt;
}
