#pragma once

#include "display/platform/kde/KdeOutputDevice.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct wl_registry;
class KdeOutputConfiguration;
class KdeOutputManagement;
class KdeOutputOrder;
class WaylandConnection;

// KWin's view of the outputs, through its output device, output management
// and output order protocols on one Wayland connection. Keeps every output's
// state current, remembers each output's configuration as first seen, and
// changes outputs one whole configuration at a time. Every wait for the
// compositor is bounded by the time-out; after that, or once the compositor
// is gone, every question fails.
class KdeCompositor
{
public:
    enum Result { Applied, NotOffered, Failed };

    static constexpr int TimeoutMs = 2000;
    static constexpr uint32_t MaxDeviceVersion = 2;
    static constexpr uint32_t MaxManagementVersion = 3;
    static constexpr uint32_t MaxOrderVersion = 1;

    // Connects to the socket named name (null: $WAYLAND_DISPLAY) and reads
    // every output. Null with *error set when no compositor answers or it
    // announces no output devices.
    static std::unique_ptr<KdeCompositor> connect(const char* name, std::string* error);
    ~KdeCompositor();

    // The outputs in the compositor's order (enabled or not), read again
    // after a round trip. False, and nothing, when the compositor does not
    // answer.
    bool outputs(std::vector<KdeOutputDevice::State>& states);
    // True once the connection broke: the compositor is gone for good.
    bool isGone() const;
    // Connector names, primary first, when the compositor announces the order.
    bool order(std::vector<std::string>& names);

    // Switches output to its mode of that index, whose size and refresh rate
    // must still be those given, changing nothing else.
    Result applyMode(const std::string& output, int index, const KdeOutputDevice::Mode& expected);
    // Returns output to its configuration as first seen.
    Result restore(const std::string& output);

    // Changes made by others (outputs enabled, disabled or reconfigured), as
    // the bits of the hosts' system-event word; called on any thread.
    void setChangeCallback(std::function<void(uint32_t)> callback);

    // "wayland-0: 2 output devices (device v2, management v3, order v1)".
    std::string description();

private:
    explicit KdeCompositor(std::unique_ptr<WaylandConnection> connection, std::string socket);
    void bind(wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    void unbind(uint32_t name);
    // Collects the changes the devices noted and hands them to the callback.
    void reportChanges();
    KdeOutputDevice* find(const std::string& output);
    Result send(const std::function<void(KdeOutputConfiguration&)>& fill);

    std::unique_ptr<WaylandConnection> m_connection;
    std::string m_socket;
    wl_registry* m_registry = nullptr;
    std::vector<std::unique_ptr<KdeOutputDevice>> m_devices;
    std::unique_ptr<KdeOutputManagement> m_management;
    std::unique_ptr<KdeOutputOrder> m_order;
    uint32_t m_versions[3] = {};
    uint32_t m_removedChanges = 0;
    bool m_applying = false;
    std::map<std::string, KdeOutputDevice::State> m_firstSeen;
    std::function<void(uint32_t)> m_changeCallback;
};
