#pragma once

#include "display/platform/gnome/DisplayConfigMonitorAssignment.h"

#include <QDBusArgument>
#include <QList>

// One region of a configuration to apply, (iiduba(ssa{sv})): its place,
// scale, transform, whether it is primary, and the monitors showing it.
struct DisplayConfigLogicalMonitorAssignment
{
    int32_t x = 0;
    int32_t y = 0;
    double scale = 1;
    uint32_t transform = 0;
    bool primary = false;
    QList<DisplayConfigMonitorAssignment> monitors;
};
Q_DECLARE_METATYPE(DisplayConfigLogicalMonitorAssignment)

inline QDBusArgument& operator<<(QDBusArgument& argument,
                                 const DisplayConfigLogicalMonitorAssignment& logical)
{
    argument.beginStructure();
    argument << logical.x << logical.y << logical.scale << logical.transform << logical.primary
             << logical.monitors;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument,
                                       DisplayConfigLogicalMonitorAssignment& logical)
{
    argument.beginStructure();
    argument >> logical.x >> logical.y >> logical.scale >> logical.transform >> logical.primary >>
        logical.monitors;
    argument.endStructure();
    return argument;
}
