#pragma once

#include "autotests/display/DisplayTestSupport.h"
#include "display/DisplayInterfaceComponentManagerWindows.h"
#include "display/platform/sim/SimulatedDesk.h"

#include <memory>

// A simulated desk with one digital 1920x1080 panel at the desktop's origin,
// running at its native resolution. A test reshapes `panel` first, then
// start() installs the desk and returns the panel's display component.
struct OneDisplayDesk
{
    OneDisplayDesk() { panel.at(0, 0).withEdid(EdidBlock().bytes).mode(1920, 1080).current(0); }

    SystemComponent* start()
    {
        installed = std::make_unique<InstalledDesk>(desk);
        manager.refresh();
        return manager.componentAt(0);
    }

    // The panel runs only this mode.
    void runs(uint32_t width, uint32_t height)
    {
        panel.modes.clear();
        panel.mode(width, height).current(0);
    }

    SimulatedDesk desk;
    SimulatedDisplay& panel = desk.display("DP-1");
    std::unique_ptr<InstalledDesk> installed;
    DisplayInterfaceComponentManagerWindows manager{ItemId(9, 0, 0)};
};
