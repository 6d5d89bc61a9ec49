#include "display/platform/win/Win32Backend.h"

#include "display/platform/win/DisplayChangeWatcher.h"
#include "display/platform/win/PresentMonitors.h"
#include "display/platform/win/Win32Display.h"

#include <algorithm>
#include <chrono>

namespace {
OutputSnapshot::Mode snapshotMode(const ModeRecord& record)
{
    OutputSnapshot::Mode mode;
    mode.width = record.width;
    mode.height = record.height;
    mode.bitsPerPixel = record.bitsPerPixel;
    mode.refreshMilliHertz = record.frequency * 1000;
    mode.flags = record.flags;
    return mode;
}

// Long enough for the layout check of the change watcher to have seen the
// new layout as well.
constexpr std::chrono::milliseconds ownChangeEcho{2000};

int64_t steadyNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool sameMode(const OutputSnapshot::Mode& a, const OutputSnapshot::Mode& b)
{
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
           a.refreshMilliHertz == b.refreshMilliHertz;
}
} // namespace

Win32Backend::Win32Backend() : SnapshotBackend(std::string(), std::string()) {}

Win32Backend::~Win32Backend() = default;

SnapshotBackend::Reading Win32Backend::readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                                                   const OperationDeadline&)
{
    const std::vector<MonitorInfo> monitors = Win32Display::monitors();
    const std::vector<PresentMonitors::Device> present =
        PresentMonitors::read().value_or(std::vector<PresentMonitors::Device>());

    for (const DisplayDevice& adapter : Win32Display::adapters()) {
        // Mirroring drivers are no outputs of their own.
        if (adapter.stateFlags & DisplayDevice::MirroringDriver)
            continue;
        OutputSnapshot::Output output;
        output.adapter = adapter;
        output.card = adapter.deviceName;

        const std::vector<DisplayDevice> devices =
            Win32Display::attachedDevices(adapter.deviceName);
        const auto device =
            std::find_if(devices.begin(), devices.end(), [](const DisplayDevice& d) {
                return (d.stateFlags & DisplayDevice::Active) != 0;
            });
        output.connected = device != devices.end() || !devices.empty();
        if (output.connected) {
            const size_t index = device != devices.end() ? size_t(device - devices.begin()) : 0;
            output.device = devices[index];
            const PresentMonitors::Device* entry = PresentMonitors::find(
                present, Win32Display::attachedInstanceId(adapter.deviceName, uint32_t(index)));
            if (entry && entry->edid && !entry->edid->empty()) {
                output.edid = *entry->edid;
                // Named after the EDID's model, so that the EDID search finds
                // this monitor's and no other's.
                output.device.deviceId.clear();
            }
        }

        const auto shown =
            std::find_if(monitors.begin(), monitors.end(),
                         [&](const MonitorInfo& m) { return m.device == adapter.deviceName; });
        if (shown != monitors.end()) {
            output.shownIn = adapter.deviceName;
            output.rect = shown->rcMonitor;
            output.workArea = shown->rcWork;
            output.primary = (shown->flags & MonitorInfo::PrimaryMonitor) != 0;
        }

        for (const ModeRecord& record : Win32Display::modes(adapter.deviceName))
            output.modes.push_back(snapshotMode(record));
        ModeRecord current;
        if (!output.shownIn.empty() &&
            Win32Display::mode(adapter.deviceName, DisplayBackend::CurrentSettings, current) &&
            current.width > 0) {
            const OutputSnapshot::Mode now = snapshotMode(current);
            auto listed =
                std::find_if(output.modes.begin(), output.modes.end(),
                             [&now](const OutputSnapshot::Mode& m) { return sameMode(m, now); });
            if (listed == output.modes.end())
                listed = output.modes.insert(output.modes.end(), now);
            output.current = size_t(listed - output.modes.begin());
        }
        outputs.push_back(std::move(output));
    }
    return Reading::Read;
}

int32_t Win32Backend::changeDisplaySettings(const std::string& output, const ModeRecord* mode)
{
    if (!snapshot()->find(output))
        return ChangeBadParam;
    if (mode) {
        const int32_t test = Win32Display::change(output, mode, true);
        if (test != ChangeSuccessful)
            return test;
    }
    const int32_t result = change(output, mode);
    refresh();
    return result;
}

int32_t Win32Backend::change(const std::string& output, const ModeRecord* mode)
{
    ++m_changing;
    const int32_t result = Win32Display::change(output, mode, false);
    m_quietUntil = steadyNow() + std::chrono::nanoseconds(ownChangeEcho).count();
    --m_changing;
    return result;
}

bool Win32Backend::ownChangeUnderway() const
{
    return m_changing > 0 || steadyNow() < m_quietUntil;
}

void Win32Backend::setChangeCallback(ChangeCallback callback)
{
    std::lock_guard<std::mutex> lock(m_watcherMutex);
    m_watcher.reset();
    if (callback)
        m_watcher = std::make_unique<DisplayChangeWatcher>(
            [this, callback = std::move(callback)](uint32_t events) {
                if (!ownChangeUnderway())
                    callback(events);
            });
}
