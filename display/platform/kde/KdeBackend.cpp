#include "display/platform/kde/KdeBackend.h"

#include "display/platform/MonitorIdentity.h"
#include "display/platform/kde/KdeCompositor.h"
#include "display/platform/sysfs/SysfsReader.h"

#include <QDebug>

#include <algorithm>
#include <cmath>

namespace {
constexpr uint32_t BitsPerPixel = 32;

bool turned(const KdeOutputDevice::State& output)
{
    return (output.transform & 1) != 0;
}

bool isPrimary(const KdeOutputDevice::State& output, const std::vector<std::string>& order)
{
    if (!order.empty())
        return order.front() == output.name;
    return output.x == 0 && output.y == 0;
}
} // namespace

std::unique_ptr<KdeBackend> KdeBackend::open(const char* socket, std::string* error,
                                             std::string sysfsRoot, std::string deviceRoot,
                                             bool* unanswered)
{
    std::unique_ptr<KdeCompositor> compositor = KdeCompositor::connect(socket, error, unanswered);
    if (!compositor)
        return nullptr;
    return std::unique_ptr<KdeBackend>(
        new KdeBackend(std::move(compositor), std::move(sysfsRoot), std::move(deviceRoot)));
}

KdeBackend::KdeBackend(std::unique_ptr<KdeCompositor> compositor, std::string sysfsRoot,
                       std::string deviceRoot)
    : SnapshotBackend(std::move(sysfsRoot), std::move(deviceRoot)),
      m_compositor(std::move(compositor))
{}

KdeBackend::~KdeBackend() = default;

std::string KdeBackend::description() const
{
    return "KWin's output protocols on " + m_compositor->description();
}

void KdeBackend::setChangeCallback(ChangeCallback callback)
{
    m_compositor->setChangeCallback(std::move(callback));
}

std::vector<OutputSnapshot::Output>
KdeBackend::outputsOf(const std::vector<KdeOutputDevice::State>& states,
                      const std::vector<std::string>& order)
{
    std::vector<OutputSnapshot::Output> outputs;
    for (const KdeOutputDevice::State& state : states) {
        OutputSnapshot::Output output;
        output.adapter.deviceName = state.name;
        output.adapter.deviceString = "KWin output " + state.name;
        output.adapter.deviceId = "KWIN\\" + state.name;
        output.primary = isPrimary(state, order);
        if (output.primary)
            output.adapter.stateFlags |= DisplayDevice::PrimaryDevice;
        output.scale = state.scale > 0 && std::isfinite(state.scale) ? state.scale : 1.0;
        for (const KdeOutputDevice::Mode& mode : state.modes) {
            // Sizes turned with the output, as the desktop sees them.
            OutputSnapshot::Mode row;
            row.width = uint32_t(std::max(0, turned(state) ? mode.height : mode.width));
            row.height = uint32_t(std::max(0, turned(state) ? mode.width : mode.height));
            row.bitsPerPixel = BitsPerPixel;
            row.refreshMilliHertz = uint32_t(std::max(0, mode.refreshMilliHertz));
            row.preferred = mode.preferred;
            output.modes.push_back(row);
        }
        if (state.currentMode >= 0 && size_t(state.currentMode) < state.modes.size())
            output.current = size_t(state.currentMode);
        if (state.enabled) {
            output.shownIn = state.name;
            // The position with the turned current mode's size divided by the
            // scale: the coordinates Qt's Wayland screens use.
            int64_t width = 0;
            int64_t height = 0;
            if (output.current) {
                const OutputSnapshot::Mode& current = output.modes[*output.current];
                width = std::llround(current.width / output.scale);
                height = std::llround(current.height / output.scale);
            }
            output.rect = {state.x, state.y, OutputSnapshot::clampedSum(state.x, width),
                           OutputSnapshot::clampedSum(state.y, height)};
        }
        output.edid = state.edid.size() >= 128 ? state.edid : std::vector<uint8_t>();
        outputs.push_back(std::move(output));
    }
    return outputs;
}

SnapshotBackend::Reading KdeBackend::readOutputs(std::vector<OutputSnapshot::Output>& outputs,
                                                 const OperationDeadline& deadline)
{
    // A compositor that does not answer has no outputs.
    std::vector<KdeOutputDevice::State> states;
    if (!m_compositor->outputs(states, deadline.remainingMs())) {
        m_outputs.clear();
        return Reading::Failed;
    }
    std::vector<std::string> order;
    m_compositor->order(order);
    outputs = outputsOf(states, order);
    for (size_t i = 0; i < outputs.size(); ++i) {
        // The card is what the driver version is read from; the EDID comes
        // from there only when the compositor sends none.
        const auto connector = SysfsReader::connectorShowing(
            sysfsRoot(), states[i].name, states[i].eisaId, states[i].serialNumber);
        if (!connector)
            continue;
        outputs[i].card = connector->card;
        if (outputs[i].edid.empty() && connector->edid.size() >= 128)
            outputs[i].edid = connector->edid;
    }
    m_outputs = std::move(states);
    return Reading::Read;
}

bool KdeBackend::platformGone()
{
    return m_compositor->isGone();
}

int32_t KdeBackend::changeDisplaySettings(const std::string& output, const ModeRecord* mode)
{
    const OperationDeadline deadline;
    m_changeError.clear();
    const std::shared_ptr<const OutputSnapshot> outputs = refresh(deadline);
    if (!isValid())
        return failed("KWin does not answer");
    const OutputSnapshot::Output* found = outputs->find(output);
    if (!found)
        return failed(output + " is not connected");
    KdeCompositor::Result result = KdeCompositor::Failed;
    if (!mode) {
        result = m_compositor->restoreFirstSeen(deadline.remainingMs());
    } else {
        // Only a mode the output lists goes to the compositor; the record's
        // own id is tried first, as several modes may look alike.
        const std::optional<size_t> index = outputs->modeIndex(*found, *mode);
        if (!index)
            return ChangeBadMode;
        const KdeOutputDevice::State& state = m_outputs[size_t(found - outputs->outputs().data())];
        result = m_compositor->applyMode(output, int(*index), state.modes[*index],
                                         deadline.remainingMs());
    }
    if (!deadline.expired())
        refresh(deadline);
    if (result == KdeCompositor::Applied)
        return ChangeSuccessful;
    if (result == KdeCompositor::NotOffered)
        return ChangeBadMode;
    return failed(deadline.expired()
                      ? "KWin did not answer the configuration within " +
                            std::to_string(OperationDeadline::DefaultMs / 1000) + " s"
                      : "KWin refused the configuration");
}

std::string KdeBackend::lastChangeError() const
{
    return m_changeError;
}

int32_t KdeBackend::failed(const std::string& why)
{
    m_changeError = why;
    qInfo("kde: %s", why.c_str());
    return ChangeFailed;
}
