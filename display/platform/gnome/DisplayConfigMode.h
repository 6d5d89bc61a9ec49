#pragma once

#include <QDBusArgument>
#include <QList>
#include <QString>
#include <QVariantMap>

// One mode of a monitor, (siiddada{sv}): its identifier for applying, its
// size in pixels, its refresh rate, the scales it allows and whether it is
// the current or the preferred one.
struct DisplayConfigMode
{
    QString id;
    int32_t width = 0;
    int32_t height = 0;
    double refreshRate = 0;
    double preferredScale = 1;
    QList<double> supportedScales;
    QVariantMap properties;

    bool isCurrent() const { return properties.value(QStringLiteral("is-current")).toBool(); }
    bool isPreferred() const { return properties.value(QStringLiteral("is-preferred")).toBool(); }
};
Q_DECLARE_METATYPE(DisplayConfigMode)

inline QDBusArgument& operator<<(QDBusArgument& argument, const DisplayConfigMode& mode)
{
    argument.beginStructure();
    argument << mode.id << mode.width << mode.height << mode.refreshRate << mode.preferredScale
             << mode.supportedScales << mode.properties;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, DisplayConfigMode& mode)
{
    argument.beginStructure();
    argument >> mode.id >> mode.width >> mode.height >> mode.refreshRate >> mode.preferredScale >>
        mode.supportedScales >> mode.properties;
    argument.endStructure();
    return argument;
}
