#pragma once

#include <QDBusArgument>
#include <QString>

// A monitor as the display service names it, (ssss): its connector and the
// vendor, product and serial its EDID gives.
struct DisplayConfigMonitorSpec
{
    QString connector;
    QString vendor;
    QString product;
    QString serial;
};
Q_DECLARE_METATYPE(DisplayConfigMonitorSpec)

inline QDBusArgument& operator<<(QDBusArgument& argument, const DisplayConfigMonitorSpec& spec)
{
    argument.beginStructure();
    argument << spec.connector << spec.vendor << spec.product << spec.serial;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument,
                                       DisplayConfigMonitorSpec& spec)
{
    argument.beginStructure();
    argument >> spec.connector >> spec.vendor >> spec.product >> spec.serial;
    argument.endStructure();
    return argument;
}
