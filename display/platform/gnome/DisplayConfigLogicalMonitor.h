#pragma once

#include "display/platform/gnome/DisplayConfigMonitorSpec.h"

#include <QDBusArgument>
#include <QList>
#include <QVariantMap>

// A region of the desktop, (iiduba(ssss)a{sv}): where it is, its scale and
// transform, and the monitors showing it (more than one: clones).
struct DisplayConfigLogicalMonitor
{
    int32_t x = 0;
    int32_t y = 0;
    double scale = 1;
    uint32_t transform = 0; // 0-3: turned by 90° steps; 4-7: the same, flipped
    bool primary = false;
    QList<DisplayConfigMonitorSpec> monitors;
    QVariantMap properties;

    // Transforms 1, 3, 5 and 7 turn the picture on its side.
    bool isSideways() const { return transform % 2 == 1; }
};
Q_DECLARE_METATYPE(DisplayConfigLogicalMonitor)

inline QDBusArgument& operator<<(QDBusArgument& argument,
                                 const DisplayConfigLogicalMonitor& logical)
{
    argument.beginStructure();
    argument << logical.x << logical.y << logical.scale << logical.transform << logical.primary
             << logical.monitors << logical.properties;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument,
                                       DisplayConfigLogicalMonitor& logical)
{
    argument.beginStructure();
    argument >> logical.x >> logical.y >> logical.scale >> logical.transform >> logical.primary >>
        logical.monitors >> logical.properties;
    argument.endStructure();
    return argument;
}
