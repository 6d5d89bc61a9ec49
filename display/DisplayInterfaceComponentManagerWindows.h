#pragma once

#include "display/SystemComponentManager.h"
#include "display/platform/DisplayBackend.h"

#include <memory>
#include <vector>

class DisplayInterfaceComponentWindows;

// Finds the attached displays: one component per active, non-mirroring
// monitor device on each monitor's output, named dpy1, dpy2, ... in the order
// found. The manager owns its components; refresh() replaces all of them.
class DisplayInterfaceComponentManagerWindows : public SystemComponentManager
{
public:
    using ComponentList = std::vector<std::unique_ptr<DisplayInterfaceComponentWindows>>;

    explicit DisplayInterfaceComponentManagerWindows(const ItemId& id);
    ~DisplayInterfaceComponentManagerWindows() override;

    DisplayInterfaceComponentManagerWindows(const DisplayInterfaceComponentManagerWindows&) =
        delete;
    DisplayInterfaceComponentManagerWindows&
    operator=(const DisplayInterfaceComponentManagerWindows&) = delete;

    bool hasDisplays() override;
    SystemComponent* displayAt(uint32_t index) override { return componentAt(index); }
    void refresh() override;

    // The step run for each monitor of the desktop: appends the monitor's
    // components to list. Returns false, which stops the enumeration, when
    // there is no list.
    static bool addMonitorComponents(DisplayBackend::MonitorHandle monitor, ComponentList* list);

private:
    void deleteComponents();
};
