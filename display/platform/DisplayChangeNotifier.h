#pragma once

#include <cstdint>
#include <functional>

// A backend whose platform announces layout changes by itself (a compositor
// signal) reports them through this, beside DisplayBackend. The bits are
// those of the hosts' system-event word.
class DisplayChangeNotifier
{
public:
    enum Change : uint32_t {
        MonitorAdded = 0x001,
        MonitorRemoved = 0x002,
        MonitorMovedOrResized = 0x008,
    };
    using ChangeHandler = std::function<void(uint32_t changes)>;

    virtual ~DisplayChangeNotifier() = default;

    // Calls handler with the Change bits of each layout change, on the
    // thread that created the backend or on the backend's own listening
    // thread; an empty handler stops the reports, and once this returns the
    // old handler is not called any more.
    virtual void setChangeHandler(ChangeHandler handler) = 0;
};
