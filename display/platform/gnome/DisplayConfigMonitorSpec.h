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

inline QDBusArgument& operator<<(QDBusArgument& argument, const DisplayConfigMonitorSpec& monitorId)
{
    argument.beginStructure();
    argument << monitorId.connector << monitorId.vendor << monitorId.product << monitorId.serial;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument,
                                       DisplayConfigMonitorSpec& monitorId)
{
    argument.beginStructure();
    argument >> monitorId.connector >> monitorId.vendor >> monitorId.product >> monitorId.serial;
    argument.endStructure();
    return argument;
}
