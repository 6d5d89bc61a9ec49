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
    // every output, within one time-out. Null with *error set when no
    // compositor answers, or it lacks output devices that name their
    // connectors or the output management; *unanswered (when given) then
    // says a compositor is there but silent.
    static std::unique_ptr<KdeCompositor> connect(const char* name, std::string* error,
                                                  bool* unanswered = nullptr);
    ~KdeCompositor();

    // The outputs in the compositor's order (enabled or not), read again
    // after a round trip of at most timeoutMs. False, and nothing, when the
    // compositor does not answer.
    bool outputs(std::vector<KdeOutputDevice::State>& states, int timeoutMs = TimeoutMs);
    // True once the connection broke: the compositor is gone for good.
    bool isGone() const;
    // Connector names, primary first, when the compositor announces the order.
    bool order(std::vector<std::string>& names);

    // Switches output to its mode of that index, whose size and refresh rate
    // must still be those given, changing nothing else.
    Result applyMode(const std::string& output, int index, const KdeOutputDevice::Mode& expected,
                     int timeoutMs = TimeoutMs);
    // Returns every output seen when connecting to its configuration then
    // (enabled or not, mode, transform, position, scale) and the outputs to
    // their order then, in one configuration; outputs plugged in since stay
    // as they are. Applied without asking when nothing differs.
    Result restoreFirstSeen(int timeoutMs = TimeoutMs);

    // Changes made by others (outputs enabled, disabled or reconfigured), as
    // the bits of the hosts' system-event word; called on any thread.
    void setChangeCallback(std::function<void(uint32_t)> callback);

    // "wayland-0: 2 output devices (device v2, management v3, order v1)".
    std::string description();

    // What an own configuration is to make of one output, to know its
    // "done" when it comes, however late.
    struct Expected
    {
        bool enabled = false;
        int32_t x = 0;
        int32_t y = 0;
        int32_t transform = 0;
        double scale = 1.0;
        KdeOutputDevice::Mode mode;
    };
    // True when state is what expected said; scales as wl_fixed carries them.
    static bool fulfils(const KdeOutputDevice::State& state, const Expected& expected);
    static Expected expectedOf(const KdeOutputDevice::State& state);

private:
    explicit KdeCompositor(std::unique_ptr<WaylandConnection> connection, std::string socket);
    void bind(wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    void unbind(uint32_t name);
    // Collects the changes the devices noted and hands them to the callback.
    void reportChanges();
    KdeOutputDevice* find(const std::string& output);
    // Sends one configuration; expected: what it makes of each output named.
    Result send(const std::function<void(KdeOutputConfiguration&)>& fill,
                std::map<std::string, Expected> expected, int timeoutMs);

    std::unique_ptr<WaylandConnection> m_connection;
    std::string m_socket;
    wl_registry* m_registry = nullptr;
    std::vector<std::unique_ptr<KdeOutputDevice>> m_devices;
    std::unique_ptr<KdeOutputManagement> m_management;
    std::unique_ptr<KdeOutputOrder> m_order;
    uint32_t m_versions[3] = {};
    uint32_t m_removedChanges = 0;
    bool m_goneReported = false;
    // Own configurations whose outputs have not yet reported the result.
    std::map<std::string, Expected> m_expected;
    std::map<std::string, KdeOutputDevice::State> m_firstSeen;
    std::vector<std::string> m_firstSeenOrder;
    std::function<void(uint32_t)> m_changeCallback;
};
