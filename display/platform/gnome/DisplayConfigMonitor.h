#pragma once

#include "display/platform/gnome/DisplayConfigMode.h"
#include "display/platform/gnome/DisplayConfigMonitorSpec.h"

#include <QDBusArgument>
#include <QList>
#include <QVariantMap>

// A connected monitor, ((ssss)a(siiddada{sv})a{sv}): who it is and its modes.
struct DisplayConfigMonitor
{
    DisplayConfigMonitorSpec monitorId;
    QList<DisplayConfigMode> modes;
    QVariantMap properties;

    // The running mode; null when the monitor is off.
    const DisplayConfigMode* currentMode() const
    {
        for (const DisplayConfigMode& mode : modes)
            if (mode.isCurrent())
                return &mode;
        return nullptr;
    }
};
Q_DECLARE_METATYPE(DisplayConfigMonitor)

inline QDBusArgument& operator<<(QDBusArgument& argument, const DisplayConfigMonitor& monitor)
{
    argument.beginStructure();
    argument << monitor.monitorId << monitor.modes << monitor.properties;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, DisplayConfigMonitor& monitor)
{
    argument.beginStructure();
    argument >> monitor.monitorId >> monitor.modes >> monitor.properties;
    argument.endStructure();
    return argument;
}
