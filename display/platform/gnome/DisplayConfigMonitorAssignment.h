#pragma once

#include <QDBusArgument>
#include <QString>
#include <QVariantMap>

// One monitor of a configuration to apply, (ssa{sv}): its connector and the
// identifier of the mode it is to run.
struct DisplayConfigMonitorAssignment
{
    QString connector;
    QString modeId;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(DisplayConfigMonitorAssignment)

inline QDBusArgument& operator<<(QDBusArgument& argument,
                                 const DisplayConfigMonitorAssignment& assignment)
{
    argument.beginStructure();
    argument << assignment.connector << assignment.modeId << assignment.properties;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument,
                                       DisplayConfigMonitorAssignment& assignment)
{
    argument.beginStructure();
    argument >> assignment.connector >> assignment.modeId >> assignment.properties;
    argument.endStructure();
    return argument;
}
