#include "display/platform/kde/KdeCompositor.h"

#include "display/platform/DisplayBackend.h"
#include "display/platform/OperationDeadline.h"

#include "display/platform/kde/KdeOutputConfiguration.h"
#include "display/platform/kde/KdeOutputManagement.h"
#include "display/platform/kde/KdeOutputOrder.h"
#include "display/platform/kde/WaylandConnection.h"

#include "kde-output-device-v2-client-protocol.h"
#include "kde-output-management-v2-client-protocol.h"
#include "kde-output-order-v1-client-protocol.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
enum Global { Device, Management, Order };

bool sameMode(const KdeOutputDevice::Mode& a, const KdeOutputDevice::Mode& b)
{
    return a.width == b.width && a.height == b.height && a.refreshMilliHertz == b.refreshMilliHertz;
}

// The index of a mode like wanted among the state's modes, preferring hint.
int findMode(const KdeOutputDevice::State& state, int hint, const KdeOutputDevice::Mode& wanted)
{
    if (hint >= 0 && size_t(hint) < state.modes.size() &&
        sameMode(state.modes[size_t(hint)], wanted))
        return hint;
    for (size_t i = 0; i < state.modes.size(); ++i)
        if (sameMode(state.modes[i], wanted))
            return int(i);
    return -1;
}
} // namespace

std::unique_ptr<KdeCompositor> KdeCompositor::connect(const char* name, std::string* error,
                                                      bool* unanswered)
{
    const OperationDeadline deadline;
    if (unanswered)
        *unanswered = false;
    std::unique_ptr<WaylandConnection> connection = WaylandConnection::connect(name, error);
    if (!connection)
        return nullptr;
    const char* socket = name ? name : std::getenv("WAYLAND_DISPLAY");
    std::unique_ptr<KdeCompositor> compositor(
        new KdeCompositor(std::move(connection), socket && *socket ? socket : "wayland-0"));
    WaylandConnection& wayland = *compositor->m_connection;
    std::string failure;
    {
        std::lock_guard<std::mutex> lock(wayland.mutex());
        static const wl_registry_listener listener = {
            [](void* data, wl_registry* registry, uint32_t name, const char* interface,
               uint32_t version) {
                static_cast<KdeCompositor*>(data)->bind(registry, name, interface, version);
            },
            [](void* data, wl_registry*, uint32_t name) {
                static_cast<KdeCompositor*>(data)->unbind(name);
            },
        };
        compositor->m_registry = wl_display_get_registry(wayland.display());
        wl_registry_add_listener(compositor->m_registry, &listener, compositor.get());
        const auto complete = [&compositor]() {
            return std::all_of(compositor->m_devices.begin(), compositor->m_devices.end(),
                               [](const auto& device) { return device->complete(); });
        };
        // The globals, then the first state of the objects bound, all
        // within one time-out.
        const auto named = [&compositor]() {
            return std::all_of(compositor->m_devices.begin(), compositor->m_devices.end(),
                               [](const auto& device) { return !device->state().name.empty(); });
        };
        const std::string where = "the Wayland compositor on " + compositor->m_socket;
        if (!wayland.roundtrip(deadline.remainingMs()) ||
            !wayland.roundtrip(deadline.remainingMs()) ||
            !wayland.dispatchUntil(complete, deadline.remainingMs())) {
            failure = where + " does not answer within " +
                      std::to_string(OperationDeadline::DefaultMs / 1000) +
                      " s (is the compositor frozen?)";
            if (unanswered)
                *unanswered = !wayland.broken();
        } else if (compositor->m_devices.empty()) {
            failure = where + " announces no kde_output_device_v2";
        } else if (!compositor->m_management) {
            failure = where + " announces no kde_output_management_v2, so no output can be changed";
        } else if (compositor->m_versions[Device] < 2 || !named()) {
            failure = where + " offers kde_output_device_v2 version " +
                      std::to_string(compositor->m_versions[Device]) +
                      ", which does not name the connectors";
        } else {
            compositor->reportChanges(); // no callback yet: only notes the first-seen states
            if (compositor->m_order)
                compositor->m_firstSeenOrder = compositor->m_order->names();
        }
    }
    if (!failure.empty()) {
        if (error)
            *error = failure;
        return nullptr;
    }
    KdeCompositor* self = compositor.get();
    wayland.startListening([self]() { self->reportChanges(); });
    return compositor;
}

KdeCompositor::KdeCompositor(std::unique_ptr<WaylandConnection> connection, std::string socket)
    : m_connection(std::move(connection)), m_socket(std::move(socket))
{}

KdeCompositor::~KdeCompositor()
{
    m_connection->stopListening();
    m_devices.clear();
    m_management.reset();
    m_order.reset();
    if (m_registry)
        wl_registry_destroy(m_registry);
}

void KdeCompositor::bind(wl_registry* registry, uint32_t name, const char* interface,
                         uint32_t version)
{
    // Never more than the versions this client was written for.
    const auto bound = [&](const wl_interface* type, uint32_t highest, Global global) {
        m_versions[global] = std::min(version, highest);
        return wl_registry_bind(registry, name, type, m_versions[global]);
    };
    if (std::strcmp(interface, kde_output_device_v2_interface.name) == 0) {
        auto* device = static_cast<kde_output_device_v2*>(
            bound(&kde_output_device_v2_interface, MaxDeviceVersion, Device));
        m_devices.push_back(std::make_unique<KdeOutputDevice>(device, name));
    } else if (std::strcmp(interface, kde_output_management_v2_interface.name) == 0 &&
               !m_management) {
        m_management = std::make_unique<KdeOutputManagement>(static_cast<kde_output_management_v2*>(
            bound(&kde_output_management_v2_interface, MaxManagementVersion, Management)));
    } else if (std::strcmp(interface, kde_output_order_v1_interface.name) == 0 && !m_order) {
        m_order = std::make_unique<KdeOutputOrder>(static_cast<kde_output_order_v1*>(
            bound(&kde_output_order_v1_interface, MaxOrderVersion, Order)));
    }
}

void KdeCompositor::unbind(uint32_t name)
{
    for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
        if ((*it)->globalName() != name)
            continue;
        if ((*it)->complete() && (*it)->state().enabled)
            m_removedChanges |= DisplayBackend::DisplayRemoved;
        m_devices.erase(it);
        return;
    }
}

void KdeCompositor::reportChanges()
{
    uint32_t changes = m_removedChanges;
    m_removedChanges = 0;
    for (const auto& device : m_devices) {
        if (!device->complete())
            continue;
        const KdeOutputDevice::State& state = device->state();
        uint32_t own = device->takeChanges();
        // This client's own configuration is no news, whenever its "done"
        // comes: it is known by what it makes of the output.
        const auto expected = m_expected.find(state.name);
        if (own && expected != m_expected.end() && fulfils(state, expected->second)) {
            m_expected.erase(expected);
            own = 0;
        }
        changes |= own;
        if (!state.name.empty())
            m_firstSeen.emplace(state.name, state);
    }
    // A compositor that went away took every output it showed.
    if (m_connection->broken() && !m_goneReported) {
        m_goneReported = true;
        for (const auto& device : m_devices)
            if (device->complete() && device->state().enabled)
                changes |= DisplayBackend::DisplayRemoved;
    }
    if (changes && m_changeCallback)
        m_changeCallback(changes);
}

bool KdeCompositor::fulfils(const KdeOutputDevice::State& state, const Expected& expected)
{
    if (state.enabled != expected.enabled)
        return false;
    if (!state.enabled)
        return true;
    const KdeOutputDevice::Mode current =
        state.currentMode >= 0 ? state.modes[size_t(state.currentMode)] : KdeOutputDevice::Mode();
    return state.x == expected.x && state.y == expected.y &&
           state.transform == expected.transform &&
           std::abs(state.scale - expected.scale) <= 1.0 / 256 &&
           current.width == expected.mode.width && current.height == expected.mode.height &&
           current.refreshMilliHertz == expected.mode.refreshMilliHertz;
}

KdeCompositor::Expected KdeCompositor::expectedOf(const KdeOutputDevice::State& state)
{
    Expected expected;
    expected.enabled = state.enabled;
    expected.x = state.x;
    expected.y = state.y;
    expected.transform = state.transform;
    expected.scale = state.scale;
    if (state.currentMode >= 0)
        expected.mode = state.modes[size_t(state.currentMode)];
    return expected;
}

void KdeCompositor::setChangeCallback(std::function<void(uint32_t)> callback)
{
    std::lock_guard<std::mutex> lock(m_connection->mutex());
    m_changeCallback = std::move(callback);
}

bool KdeCompositor::outputs(std::vector<KdeOutputDevice::State>& states, int timeoutMs)
{
    states.clear();
    std::lock_guard<std::mutex> lock(m_connection->mutex());
    const bool answered =
        !m_connection->broken() && timeoutMs > 0 && m_connection->roundtrip(timeoutMs);
    reportChanges();
    if (!answered)
        return false;
    for (const auto& device : m_devices)
        if (device->complete() && !device->state().name.empty())
            states.push_back(device->state());
    return true;
}

bool KdeCompositor::isGone() const
{
    return m_connection->broken();
}

bool KdeCompositor::order(std::vector<std::string>& names)
{
    std::lock_guard<std::mutex> lock(m_connection->mutex());
    if (!m_order)
        return false;
    names = m_order->names();
    return true;
}

KdeOutputDevice* KdeCompositor::find(const std::string& output)
{
    for (const auto& device : m_devices)
        if (device->complete() && device->state().name == output)
            return device.get();
    return nullptr;
}

KdeCompositor::Result KdeCompositor::send(const std::function<void(KdeOutputConfiguration&)>& fill,
                                          std::map<std::string, Expected> expected, int timeoutMs)
{
    if (!m_management || m_connection->broken() || timeoutMs <= 0)
        return Failed;
    std::unique_ptr<KdeOutputConfiguration> configuration = m_management->createConfiguration();
    if (!configuration)
        return Failed;
    fill(*configuration);
    // Outputs that end as they are now send no "done" to wait for.
    for (const auto& device : m_devices)
        if (device->complete()) {
            const auto it = expected.find(device->state().name);
            if (it != expected.end() && fulfils(device->state(), it->second))
                expected.erase(it);
        }
    m_expected = std::move(expected);
    const KdeOutputConfiguration::Outcome outcome = configuration->apply(*m_connection, timeoutMs);
    if (outcome == KdeOutputConfiguration::Failed)
        m_expected.clear();
    reportChanges();
    return outcome == KdeOutputConfiguration::Applied ? Applied : Failed;
}

KdeCompositor::Result KdeCompositor::applyMode(const std::string& output, int index,
                                               const KdeOutputDevice::Mode& expected, int timeoutMs)
{
    std::lock_guard<std::mutex> lock(m_connection->mutex());
    KdeOutputDevice* device = find(output);
    if (!device)
        return Failed;
    const int found = findMode(device->state(), index, expected);
    kde_output_device_mode_v2* mode = device->modeHandle(found);
    if (!mode)
        return NotOffered;
    Expected after = expectedOf(device->state());
    after.mode = device->state().modes[size_t(found)];
    return send(
        [&](KdeOutputConfiguration& configuration) {
            configuration.setMode(device->handle(), mode);
        },
        {{output, after}}, timeoutMs);
}

KdeCompositor::Result KdeCompositor::restoreFirstSeen(int timeoutMs)
{
    std::lock_guard<std::mutex> lock(m_connection->mutex());
    struct Restored
    {
        KdeOutputDevice* device;
        const KdeOutputDevice::State* was;
        kde_output_device_mode_v2* mode;
    };
    std::vector<Restored> restored;
    std::map<std::string, Expected> expected;
    bool differs = false;
    for (const auto& device : m_devices) {
        if (!device->complete())
            continue;
        const auto first = m_firstSeen.find(device->state().name);
        if (first == m_firstSeen.end())
            continue;
        const KdeOutputDevice::State& was = first->second;
        kde_output_device_mode_v2* mode = nullptr;
        if (was.enabled && was.currentMode >= 0) {
            mode = device->modeHandle(
                findMode(device->state(), was.currentMode, was.modes[size_t(was.currentMode)]));
            if (!mode)
                return Failed; // the mode it ran is gone
        }
        restored.push_back({device.get(), &was, mode});
        expected[was.name] = expectedOf(was);
        differs = differs || !fulfils(device->state(), expected[was.name]);
    }
    std::vector<KdeOutputDevice*> ordered;
    for (const std::string& name : m_firstSeenOrder)
        if (KdeOutputDevice* device = find(name))
            ordered.push_back(device);
    differs = differs || (m_order && !ordered.empty() && m_order->names() != m_firstSeenOrder);
    if (!differs)
        return Applied;
    return send(
        [&](KdeOutputConfiguration& configuration) {
            for (const Restored& output : restored) {
                configuration.setEnabled(output.device->handle(), output.was->enabled);
                if (!output.was->enabled)
                    continue;
                if (output.mode)
                    configuration.setMode(output.device->handle(), output.mode);
                configuration.setTransform(output.device->handle(), output.was->transform);
                configuration.setPosition(output.device->handle(), output.was->x, output.was->y);
                configuration.setScale(output.device->handle(), output.was->scale);
            }
            if (ordered.empty())
                return;
            if (m_versions[Management] >= 3) {
                // Priorities count the outputs that end enabled, from 1.
                uint32_t priority = 0;
                for (KdeOutputDevice* device : ordered)
                    if (m_firstSeen.at(device->state().name).enabled)
                        configuration.setPriority(device->handle(), ++priority);
            } else if (m_versions[Management] >= 2) {
                configuration.setPrimary(ordered.front()->handle());
            }
        },
        std::move(expected), timeoutMs);
}

std::string KdeCompositor::description()
{
    std::lock_guard<std::mutex> lock(m_connection->mutex());
    std::string text = m_socket + ": " + std::to_string(m_devices.size()) +
                       " output devices (device v" + std::to_string(m_versions[Device]);
    text += m_management ? ", management v" + std::to_string(m_versions[Management]) : "";
    text += m_order ? ", order v" + std::to_string(m_versions[Order]) : "";
    return text + ")";
}
