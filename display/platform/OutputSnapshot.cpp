#include "display/platform/OutputSnapshot.h"

#include "display/platform/DisplayBackend.h"
#include "display/platform/MonitorIdentity.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
uint32_t wholeHertz(uint32_t milliHertz)
{
    return uint32_t((uint64_t(milliHertz) + 500) / 1000);
}

bool sameFigures(const OutputSnapshot::Mode& a, const OutputSnapshot::Mode& b)
{
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
           a.refreshMilliHertz == b.refreshMilliHertz;
}
} // namespace

OutputSnapshot::OutputSnapshot(std::vector<Output> outputs, const OutputSnapshot* previous)
    : m_outputs(std::move(outputs))
{
    if (previous)
        m_nextId = previous->m_nextId;
    // An id survives only with its output and mode, so a vanished one is
    // never mistaken for what comes in its place.
    for (size_t row = 0; row < m_outputs.size(); ++row) {
        Output& output = m_outputs[row];
        const std::string& name = output.adapter.deviceName;
        if (output.shownIn == name) {
            MonitorHandle handle = 0;
            const auto known = previous ? previous->m_handles.find(name) : m_handles.end();
            if (previous && known != previous->m_handles.end())
                handle = known->second;
            else
                handle = MonitorHandle(m_nextId++);
            m_handles[name] = handle;
            m_monitors.push_back(handle);
        }
        if (!output.shownIn.empty())
            output.adapter.stateFlags |= DisplayDevice::AttachedToDesktop;
        if (output.adapter.deviceString.empty())
            output.adapter.deviceString = name;
        if (output.connected) {
            if (!output.shownIn.empty())
                output.device.stateFlags |= DisplayDevice::Active;
            if (output.device.deviceString.empty())
                output.device.deviceString =
                    "Monitor on " + (output.connector.empty() ? name : output.connector);
            if (output.device.deviceId.empty())
                output.device.deviceId = MonitorIdentity::deviceId(
                    MonitorIdentity::modelCode(usableEdid(output)), unsigned(row));
        }
        for (size_t i = 0; i < output.modes.size(); ++i) {
            const std::string key = name + '\n' + modeKey(output, i);
            const auto known = previous ? previous->m_modeIds.find(key) : m_modeIds.end();
            if (previous && known != previous->m_modeIds.end())
                m_modeIds[key] = known->second;
            else
                m_modeIds[key] = m_nextId++;
        }
    }
}

std::string OutputSnapshot::modeKey(const Output& output, size_t index) const
{
    const Mode& mode = output.modes[index];
    if (!mode.key.empty())
        return mode.key;
    // Alike modes are told apart by their place among the alike.
    size_t alike = 0;
    for (size_t i = 0; i < index; ++i)
        if (sameFigures(output.modes[i], mode))
            ++alike;
    return std::to_string(mode.width) + 'x' + std::to_string(mode.height) + '@' +
           std::to_string(mode.refreshMilliHertz) + '/' + std::to_string(mode.bitsPerPixel) + '#' +
           std::to_string(alike);
}

const OutputSnapshot::Output* OutputSnapshot::find(const std::string& name) const
{
    for (const Output& output : m_outputs)
        if (output.adapter.deviceName == name)
            return &output;
    return nullptr;
}

bool OutputSnapshot::monitorInfo(MonitorHandle monitor, MonitorInfo& info) const
{
    if (monitor == 0)
        return false;
    for (const auto& [name, handle] : m_handles) {
        if (handle != monitor)
            continue;
        const Output* output = find(name);
        info.rcMonitor = output->rect;
        info.rcWork = output->workArea.value_or(output->rect);
        info.flags = output->primary ? MonitorInfo::PrimaryMonitor : 0;
        info.device = name;
        return true;
    }
    return false;
}

bool OutputSnapshot::adapter(uint32_t index, DisplayDevice& device) const
{
    if (index >= m_outputs.size())
        return false;
    device = m_outputs[index].adapter;
    return true;
}

const OutputSnapshot::Output* OutputSnapshot::deviceOutput(const std::string& adapter,
                                                           uint32_t index) const
{
    const Output* owner = find(adapter);
    if (!owner)
        return nullptr;
    if (owner->shownIn.empty())
        return owner->connected && index == 0 ? owner : nullptr;
    // Every connected output showing the same monitor is attached to each of them.
    uint32_t seen = 0;
    for (const Output& output : m_outputs)
        if (output.connected && output.shownIn == owner->shownIn && seen++ == index)
            return &output;
    return nullptr;
}

bool OutputSnapshot::attachedDevice(const std::string& adapter, uint32_t index,
                                    DisplayDevice& device) const
{
    const Output* output = deviceOutput(adapter, index);
    if (!output)
        return false;
    device = output->device;
    if (device.deviceName.empty())
        device.deviceName = adapter + "\\Monitor" + std::to_string(index);
    return true;
}

ModeRecord OutputSnapshot::recordOf(const Output& output, size_t modeIndex) const
{
    const Mode& mode = output.modes[modeIndex];
    ModeRecord record;
    record.width = mode.width;
    record.height = mode.height;
    record.bitsPerPixel = mode.bitsPerPixel;
    record.frequency = wholeHertz(mode.refreshMilliHertz);
    record.refreshMilliHertz = mode.refreshMilliHertz;
    record.flags = mode.flags;
    const auto id = m_modeIds.find(output.adapter.deviceName + '\n' + modeKey(output, modeIndex));
    record.nativeId = id == m_modeIds.end() ? 0 : id->second;
    return record;
}

bool OutputSnapshot::mode(const std::string& output, int32_t modeIndex, ModeRecord& record) const
{
    const Output* found = find(output);
    if (!found)
        return false;
    if (modeIndex == DisplayBackend::CurrentSettings) {
        if (!found->current || found->shownIn.empty() || *found->current >= found->modes.size())
            return false;
        record = recordOf(*found, *found->current);
        return true;
    }
    if (modeIndex < 0 || size_t(modeIndex) >= found->modes.size())
        return false;
    record = recordOf(*found, size_t(modeIndex));
    return true;
}

std::optional<size_t> OutputSnapshot::modeIndex(const Output& output,
                                                const ModeRecord& record) const
{
    const auto fits = [&](const Mode& mode) {
        if (mode.width != record.width || mode.height != record.height)
            return false;
        if (record.bitsPerPixel != 0 && mode.bitsPerPixel != record.bitsPerPixel)
            return false;
        if (record.refreshMilliHertz != 0 && mode.refreshMilliHertz != 0)
            return mode.refreshMilliHertz == record.refreshMilliHertz;
        const uint32_t hertz =
            record.frequency != 0 ? record.frequency : wholeHertz(record.refreshMilliHertz);
        return hertz == 0 || wholeHertz(mode.refreshMilliHertz) == hertz;
    };
    std::optional<size_t> first;
    for (size_t i = 0; i < output.modes.size(); ++i) {
        if (!fits(output.modes[i]))
            continue;
        if (record.nativeId != 0 && recordOf(output, i).nativeId == record.nativeId)
            return i;
        if (!first)
            first = i;
    }
    return first;
}

bool OutputSnapshot::view(const std::string& output, const std::string& monitorDevice,
                          OutputView& view) const
{
    const Output* shown = nullptr;
    for (uint32_t index = 0; const Output* candidate = deviceOutput(output, index); ++index) {
        DisplayDevice device;
        attachedDevice(output, index, device);
        if (device.deviceName == monitorDevice) {
            shown = candidate;
            break;
        }
    }
    if (!shown || shown->shownIn.empty())
        return false;
    const Output* monitor = find(shown->shownIn);
    if (!monitor)
        return false;
    view = OutputView();
    view.connector = shown->connector.empty() ? shown->adapter.deviceName : shown->connector;
    view.x = monitor->rect.left;
    view.y = monitor->rect.top;
    view.width = uint32_t(std::max<int64_t>(0, int64_t(monitor->rect.right) - monitor->rect.left));
    view.height = uint32_t(std::max<int64_t>(0, int64_t(monitor->rect.bottom) - monitor->rect.top));
    view.primary = monitor->primary;
    // Where the compositor scales, the rectangle is in the desktop's scaled
    // coordinates while the output shows the current mode's device pixels.
    if (shown->current && *shown->current < shown->modes.size() && shown->scale > 0 &&
        std::isfinite(shown->scale) && shown->scale != 1.0) {
        const Mode& current = shown->modes[*shown->current];
        view.width = current.width;
        view.height = current.height;
        view.scale = shown->scale;
        view.logicalWidth = uint32_t(std::lround(current.width / shown->scale));
        view.logicalHeight = uint32_t(std::lround(current.height / shown->scale));
    }
    for (size_t i = 0; i < shown->modes.size(); ++i) {
        const Mode& mode = shown->modes[i];
        OutputMode listed;
        listed.width = mode.width;
        listed.height = mode.height;
        // Rounded once from the platform's own figure, as its tools show it.
        const double hz =
            mode.exactRefreshHz > 0 ? mode.exactRefreshHz : mode.refreshMilliHertz / 1000.0;
        if (hz > 0)
            listed.refreshHz = OutputView::roundedHz(hz);
        // A platform mode listed twice is current wherever it appears.
        listed.current = shown->current &&
                         (*shown->current == i ||
                          (!mode.key.empty() && mode.key == shown->modes[*shown->current].key));
        listed.preferred = mode.preferred;
        if (listed.current)
            view.refreshHz = listed.refreshHz;
        view.modes.push_back(listed);
    }
    view.edid = shown->edid;
    return true;
}

std::vector<MonitorDevice> OutputSnapshot::presentMonitorDevices() const
{
    std::vector<MonitorDevice> devices;
    for (size_t row = 0; row < m_outputs.size(); ++row) {
        const Output& output = m_outputs[row];
        if (!output.connected)
            continue;
        MonitorDevice device;
        device.instanceId = MonitorIdentity::instanceId(
            MonitorIdentity::modelCode(usableEdid(output)), unsigned(row));
        if (!output.edid.empty())
            device.hardwareKeyValues.push_back({"EDID", output.edid});
        devices.push_back(std::move(device));
    }
    return devices;
}

std::vector<uint8_t> OutputSnapshot::usableEdid(const Output& output)
{
    return output.edid.size() >= 128 ? output.edid : std::vector<uint8_t>();
}

int32_t OutputSnapshot::clampedSum(int32_t a, int64_t b)
{
    const int64_t sum = int64_t(a) + b;
    return int32_t(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}
