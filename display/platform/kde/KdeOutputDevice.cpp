#include "display/platform/kde/KdeOutputDevice.h"

#include "display/platform/DisplayBackend.h"

#include "kde-output-device-v2-client-protocol.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>

namespace {
// Lambdas in the constructor share its access to the pending state.
KdeOutputDevice* self(void* data)
{
    return static_cast<KdeOutputDevice*>(data);
}
} // namespace

KdeOutputDevice::KdeOutputDevice(kde_output_device_v2* device, uint32_t globalName)
    : m_device(device), m_globalName(globalName)
{
    static const kde_output_device_v2_listener listener = {
        // geometry: position and transform; make and model are not needed
        [](void* data, kde_output_device_v2*, int32_t x, int32_t y, int32_t, int32_t, int32_t,
           const char*, const char*, int32_t transform) {
            State& state = self(data)->m_pending;
            state.x = x;
            state.y = y;
            state.transform = transform;
        },
        // current_mode
        [](void* data, kde_output_device_v2*, kde_output_device_mode_v2* mode) {
            KdeOutputDevice* device = self(data);
            device->m_current = nullptr;
            for (const auto& known : device->m_modes)
                if (known->handle() == mode)
                    device->m_current = known.get();
        },
        // mode: a new mode object, described by its own events
        [](void* data, kde_output_device_v2*, kde_output_device_mode_v2* mode) {
            self(data)->m_modes.push_back(std::make_unique<KdeOutputDeviceMode>(mode));
        },
        // done
        [](void* data, kde_output_device_v2*) { self(data)->commit(); },
        // scale
        [](void* data, kde_output_device_v2*, wl_fixed_t factor) {
            // wl_fixed has 1/256 steps; KWin means 1/120 steps (1.2 arrives as
            // 1.19921875, which would make 1920 pixels 1601 wide).
            self(data)->m_pending.scale = std::round(wl_fixed_to_double(factor) * 120.0) / 120.0;
        },
        // edid, in base64
        [](void* data, kde_output_device_v2*, const char* raw) {
            const QByteArray bytes = QByteArray::fromBase64(QByteArray(raw ? raw : ""));
            self(data)->m_pending.edid.assign(bytes.begin(), bytes.end());
        },
        // enabled
        [](void* data, kde_output_device_v2*, int32_t enabled) {
            self(data)->m_pending.enabled = enabled != 0;
        },
        [](void*, kde_output_device_v2*, const char*) {}, // uuid
        // serial_number and eisa_id: which card's connector shows the monitor
        [](void* data, kde_output_device_v2*, const char* serial) {
            self(data)->m_pending.serialNumber = serial ? serial : "";
        },
        [](void* data, kde_output_device_v2*, const char* eisaId) {
            self(data)->m_pending.eisaId = eisaId ? eisaId : "";
        },
        [](void*, kde_output_device_v2*, uint32_t) {}, // capabilities
        [](void*, kde_output_device_v2*, uint32_t) {}, // overscan
        [](void*, kde_output_device_v2*, uint32_t) {}, // vrr_policy
        [](void*, kde_output_device_v2*, uint32_t) {}, // rgb_range
        // name (version 2): the connector
        [](void* data, kde_output_device_v2*, const char* name) {
            self(data)->m_pending.name = name ? name : "";
        },
    };
    kde_output_device_v2_add_listener(m_device, &listener, this);
}

KdeOutputDevice::~KdeOutputDevice()
{
    m_modes.clear();
    kde_output_device_v2_destroy(m_device);
}

kde_output_device_mode_v2* KdeOutputDevice::modeHandle(int index) const
{
    if (index < 0 || size_t(index) >= m_stateModes.size())
        return nullptr;
    KdeOutputDeviceMode* mode = m_stateModes[size_t(index)];
    // The list is that of the last "done"; a mode removed since is gone.
    for (const auto& known : m_modes)
        if (known.get() == mode)
            return mode->removed() ? nullptr : mode->handle();
    return nullptr;
}

uint32_t KdeOutputDevice::takeChanges()
{
    const uint32_t changes = m_changes;
    m_changes = 0;
    return changes;
}

void KdeOutputDevice::commit()
{
    // Modes the compositor took back are dropped at the change they belong to.
    m_modes.erase(std::remove_if(m_modes.begin(), m_modes.end(),
                                 [this](const std::unique_ptr<KdeOutputDeviceMode>& mode) {
                                     if (!mode->removed())
                                         return false;
                                     if (m_current == mode.get())
                                         m_current = nullptr;
                                     return true;
                                 }),
                  m_modes.end());
    State next = m_pending;
    next.modes.clear();
    next.currentMode = -1;
    m_stateModes.clear();
    for (const auto& mode : m_modes) {
        if (mode.get() == m_current)
            next.currentMode = int(next.modes.size());
        next.modes.push_back(
            {mode->width(), mode->height(), mode->refreshMilliHertz(), mode->preferred()});
        m_stateModes.push_back(mode.get());
    }

    const State& before = m_state;
    if (!m_complete) {
        m_changes |= next.enabled ? uint32_t(DisplayBackend::DisplayAdded) : 0u;
    } else if (before.enabled != next.enabled) {
        m_changes |= next.enabled ? DisplayBackend::DisplayAdded : DisplayBackend::DisplayRemoved;
    } else if (next.enabled) {
        const auto modeOf = [](const State& state) {
            return state.currentMode < 0 ? Mode() : state.modes[size_t(state.currentMode)];
        };
        const Mode was = modeOf(before);
        const Mode is = modeOf(next);
        if (was.width != is.width || was.height != is.height ||
            was.refreshMilliHertz != is.refreshMilliHertz || before.x != next.x ||
            before.y != next.y || before.scale != next.scale || before.transform != next.transform)
            m_changes |= DisplayBackend::DisplayReconfigured;
    }
    m_state = std::move(next);
    m_complete = true;
}
