#include "display/DisplayInterfaceComponentManagerWindows.h"

#include "display/DisplayInterfaceComponentWindows.h"
#include "display/platform/DisplayDevice.h"
#include "display/platform/DisplayPlatform.h"
#include "display/platform/MonitorInfo.h"

DisplayInterfaceComponentManagerWindows::DisplayInterfaceComponentManagerWindows(const ItemId& id)
    : SystemComponentManager(id)
{}

DisplayInterfaceComponentManagerWindows::~DisplayInterfaceComponentManagerWindows()
{
    deleteComponents();
}

void DisplayInterfaceComponentManagerWindows::deleteComponents()
{
    for (SystemComponent* component : m_components)
        delete component;
    m_components.clear();
}

bool DisplayInterfaceComponentManagerWindows::hasDisplays()
{
    bool found = false;
    DisplayPlatform::backend().enumDisplayMonitors([&found](DisplayBackend::MonitorHandle) {
        found = true;
        return true;
    });
    return found;
}

void DisplayInterfaceComponentManagerWindows::refresh()
{
    ComponentList working;
    DisplayPlatform::backend().enumDisplayMonitors(
        [&working](DisplayBackend::MonitorHandle monitor) {
            return addMonitorComponents(monitor, &working);
        });

    deleteComponents();
    // Hosts pair each identifier with its output through this list.
    DisplayPlatform::beginHandOut();
    m_components.reserve(working.size());
    for (auto& component : working) {
        DisplayPlatform::noteHandedOut({component->componentId(), component->monitorInfo().device,
                                        component->displayDevice().deviceName,
                                        component->monitorHandle()});
        component->collectProperties();
        m_components.push_back(component.release());
    }
}

bool DisplayInterfaceComponentManagerWindows::addMonitorComponents(
    DisplayBackend::MonitorHandle monitor, ComponentList* list)
{
    if (!list)
        return false;
    DisplayBackend& backend = DisplayPlatform::backend();

    MonitorInfo info;
    // A monitor that cannot be described has no output to match.
    if (!backend.getMonitorInfo(monitor, info))
        return true;

    std::vector<DisplayDevice> devices;
    for (uint32_t adapterIndex = 0;; ++adapterIndex) {
        DisplayDevice adapter;
        if (!backend.enumDisplayDevices(nullptr, adapterIndex, adapter))
            break;
        if (adapter.deviceName != info.device)
            continue;
        for (uint32_t childIndex = 0;; ++childIndex) {
            DisplayDevice child;
            if (!backend.enumDisplayDevices(adapter.deviceName.c_str(), childIndex, child))
                break;
            if ((child.stateFlags & DisplayDevice::MirroringDriver) ||
                !(child.stateFlags & DisplayDevice::Active))
                continue;
            devices.push_back(child);
        }
        if (!devices.empty())
            break;
    }

    for (const DisplayDevice& device : devices) {
        const std::string id = "dpy" + std::to_string(list->size() + 1);
        list->push_back(
            std::make_unique<DisplayInterfaceComponentWindows>(id, monitor, info, device));
    }
    return true;
}
