#include "display/platform/gnome/DisplayConfigClient.h"

#include <QDBusMessage>
#include <QDBusMetaType>

#include <algorithm>

const QString DisplayConfigClient::Service = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString DisplayConfigClient::Path = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
const QString DisplayConfigClient::Interface = QStringLiteral("org.gnome.Mutter.DisplayConfig");

namespace {
void registerTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<DisplayConfigMonitorSpec>();
        qDBusRegisterMetaType<QList<DisplayConfigMonitorSpec>>();
        qDBusRegisterMetaType<DisplayConfigMode>();
        qDBusRegisterMetaType<QList<DisplayConfigMode>>();
        qDBusRegisterMetaType<DisplayConfigMonitor>();
        qDBusRegisterMetaType<QList<DisplayConfigMonitor>>();
        qDBusRegisterMetaType<DisplayConfigLogicalMonitor>();
        qDBusRegisterMetaType<QList<DisplayConfigLogicalMonitor>>();
        qDBusRegisterMetaType<DisplayConfigMonitorAssignment>();
        qDBusRegisterMetaType<QList<DisplayConfigMonitorAssignment>>();
        qDBusRegisterMetaType<DisplayConfigLogicalMonitorAssignment>();
        qDBusRegisterMetaType<QList<DisplayConfigLogicalMonitorAssignment>>();
        qDBusRegisterMetaType<QList<double>>();
        return true;
    }();
    (void)registered;
}

std::string describe(const QDBusMessage& reply)
{
    return (reply.errorName() + QStringLiteral(": ") + reply.errorMessage()).toStdString();
}
} // namespace

DisplayConfigClient::DisplayConfigClient(const QString& privateName)
    : m_connection(privateName.isEmpty()
                       ? QDBusConnection::sessionBus()
                       : QDBusConnection::connectToBus(QDBusConnection::SessionBus, privateName))
{
    registerTypes();
}

bool DisplayConfigClient::isConnected(std::string* error) const
{
    if (m_connection.isConnected())
        return true;
    if (error)
        *error = "no D-Bus session bus";
    return false;
}

bool DisplayConfigClient::currentState(DisplayConfigState& state, std::string* error, int timeoutMs,
                                       bool* noAnswer) const
{
    if (noAnswer)
        *noAnswer = false;
    if (!isConnected(error))
        return false;
    const QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("GetCurrentState"));
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, std::max(1, timeoutMs));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        if (noAnswer)
            *noAnswer = reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
                        reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.Timeout");
        if (error)
            *error = "GetCurrentState failed: " + describe(reply);
        return false;
    }
    const QList<QVariant> arguments = reply.arguments();
    if (arguments.size() != 4 || reply.signature() != QLatin1String("ua((ssss)a(siiddada{sv})a{sv})"
                                                                    "a(iiduba(ssss)a{sv})a{sv}")) {
        if (error)
            *error = "GetCurrentState answered with an unknown signature " +
                     reply.signature().toStdString();
        return false;
    }
    state = {};
    state.serial = arguments[0].toUInt();
    qvariant_cast<QDBusArgument>(arguments[1]) >> state.monitors;
    qvariant_cast<QDBusArgument>(arguments[2]) >> state.logicalMonitors;
    qvariant_cast<QDBusArgument>(arguments[3]) >> state.properties;
    return true;
}

bool DisplayConfigClient::applyMonitorsConfig(
    uint32_t serial, Method method,
    const QList<DisplayConfigLogicalMonitorAssignment>& logicalMonitors, std::string* error,
    int timeoutMs) const
{
    if (!isConnected(error))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface,
                                                       QStringLiteral("ApplyMonitorsConfig"));
    call << serial << uint32_t(method) << QVariant::fromValue(logicalMonitors)
         << QVariant::fromValue(QVariantMap());
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, std::max(1, timeoutMs));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        if (error)
            *error = "ApplyMonitorsConfig failed: " + describe(reply);
        return false;
    }
    return true;
}
