#pragma once

#include "display/platform/gnome/DisplayConfigLogicalMonitor.h"
#include "display/platform/gnome/DisplayConfigMonitor.h"

#include <QList>
#include <QVariantMap>

// The answer of GetCurrentState: every connected monitor, the desktop's
// regions and the service's properties. serial ties a change to this state.
struct DisplayConfigState
{
    enum LayoutMode : uint32_t { LogicalLayout = 1, PhysicalLayout = 2 };

    uint32_t serial = 0;
    QList<DisplayConfigMonitor> monitors;
    QList<DisplayConfigLogicalMonitor> logicalMonitors;
    QVariantMap properties;

    // Logical layout: regions are measured in scaled pixels.
    bool isLogicalLayout() const
    {
        return properties.value(QStringLiteral("layout-mode")).toUInt() == LogicalLayout;
    }

    const DisplayConfigMonitor* monitor(const QString& connector) const
    {
        for (const DisplayConfigMonitor& monitor : monitors)
            if (monitor.monitorId.connector == connector)
                return &monitor;
        return nullptr;
    }

    // Index of the region that shows connector; -1 when it shows none.
    int logicalMonitorOf(const QString& connector) const
    {
        for (int i = 0; i < logicalMonitors.size(); ++i)
            for (const DisplayConfigMonitorSpec& monitorId : logicalMonitors[i].monitors)
                if (monitorId.connector == connector)
                    return i;
        return -1;
    }
};
