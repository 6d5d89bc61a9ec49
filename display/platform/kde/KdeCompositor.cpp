#include "display/platform/kde/KdeCompositor.h"

#include "display/platform/DisplayBackend.h"

#include "display/platform/kde/KdeOutputConfiguration.h"
#include "display/platform/kde/KdeOutputManagement.h"
#include "display/platform/kde/KdeOutputOrder.h"
#include "display/platform/kde/WaylandConnection.h"

#include "kde-output-device-v2-client-protocol.h"
#include "kde-output-management-v2-client-protocol.h"
#include "kde-output-order-v1-client-protocol.h"

#include <algorithm>
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

std::unique_ptr<KdeCompositor> KdeCompositor::connect(const char* name, std::string* error)
{
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
        // The globals, then the first state of the objects bound.
        if (!wayland.roundtrip(TimeoutMs) || !wayland.roundtrip(TimeoutMs) ||
            !wayland.dispatchUntil(complete, TimeoutMs))
            failure = "the Wayland compositor on " + compositor->m_socket +
                      " does not answer within " + std::to_string(TimeoutMs / 1000) + " s";
        else if (compositor->m_devices.empty())
            failure = "the Wayland compositor on " + compositor->m_socket +
                      " announces no kde_output_device_v2";
        else
            compositor->reportChanges(); // no callback yet: only notes the first-seen states
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
        changes |= device->takeChanges();
        if (!device->state().name.empty())
            m_firstSeen.emplace(device->state().name, device->state());
    }
    // The changes of this client's own configuration are not news.
    if (changes && !m_applying && m_changeCallback)
        m_changeCallback(changes);
}

void KdeCompositor::setChangeCallback(std::function<void(uint32_t)> callback)
{
    std::lock_guard<std::mutex> lock(m_connection->mutex());
    m_changeCallback = std::move(callback);
}

bool KdeCompositor::outputs(std::vector<KdeOutputDevice::State>& states)
{
    states.clear();
    std::lock_guard<std::mutex> lock(m_connection->mutex());
    const bool answered = !m_connection->broken() && m_connection->roundtrip(TimeoutMs);
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

KdeCompositor::Result KdeCompositor::send(const std::function<void(KdeOutputConfiguration&)>& fill)
{
    if (!m_management || m_connection->broken())
        return Failed;
    std::unique_ptr<KdeOutputConfiguration> configuration = m_management->createConfiguration();
    if (!configuration)
        return Failed;
    fill(*configuration);
    m_applying = true;
    const KdeOutputConfiguration::Outcome outcome = configuration->apply(*m_connection, TimeoutMs);
    reportChanges();
    m_applying = false;
    return outcome == KdeOutputConfiguration::Applied ? Applied : Failed;
}

KdeCompositor::Result KdeCompositor::applyMode(const std::string& output, int index,
                                               const KdeOutputDevice::Mode& expected)
{
    std::lock_guard<std::mutex> lock(m_connection->mutex());
    KdeOutputDevice* device = find(output);
    if (!device)
        return Failed;
    kde_output_device_mode_v2* mode =
        device->modeHandle(findMode(device->state(), index, expected));
    if (!mode)
        return NotOffered;
    return send([&](KdeOutputConfiguration& configuration) {
        configuration.setMode(device->handle(), mode);
    });
}

KdeCompositor::Result KdeCompositor::restore(const std::string& output)
{
    std::lock_guard<std::mutex> lock(m_connection->mutex());
    const auto first = m_firstSeen.find(output);
    KdeOutputDevice* device = find(output);
    if (first == m_firstSeen.end() || !device)
        return Failed;
    const KdeOutputDevice::State& was = first->second;
    kde_output_device_mode_v2* mode = nullptr;
    if (was.enabled && was.currentMode >= 0) {
        mode = device->modeHandle(
            findMode(device->state(), was.currentMode, was.modes[size_t(was.currentMode)]));
        if (!mode)
            return Failed;
    }
    return send([&](KdeOutputConfiguration& configuration) {
        configuration.setEnabled(device->handle(), was.enabled);
        if (!was.enabled)
            return;
        if (mode)
            configuration.setMode(device->handle(), mode);
        configuration.setTransform(device->handle(), was.transform);
        configuration.setPosition(device->handle(), was.x, was.y);
        configuration.setScale(device->handle(), was.scale);
    });
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
