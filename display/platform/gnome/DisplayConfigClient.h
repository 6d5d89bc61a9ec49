#pragma once

#include "display/platform/gnome/DisplayConfigLogicalMonitorAssignment.h"
#include "display/platform/gnome/DisplayConfigState.h"

#include <QDBusConnection>
#include <QList>

#include <string>

// The calls of the compositor's display configuration service on the
// session bus. Every call gives up after its time-out (TimeoutMs unless
// told), so a service that hangs or vanishes costs at most that long.
class DisplayConfigClient
{
public:
    static constexpr int TimeoutMs = 2000;
    enum Method : uint32_t { Verify = 0, Temporary = 1, Persistent = 2 };

    static const QString Service;
    static const QString Path;
    static const QString Interface;

    // The shared session bus connection, or with privateName a connection
    // of its own, which delivers signals even while the main thread runs no
    // event loop (the shared one waits for it).
    explicit DisplayConfigClient(const QString& privateName = {});

    // False with *error set when there is no session bus.
    bool isConnected(std::string* error) const;

    // *noAnswer (when given) tells a service that is there but silent from
    // one that is not there or refused.
    bool currentState(DisplayConfigState& state, std::string* error, int timeoutMs = TimeoutMs,
                      bool* noAnswer = nullptr) const;
    bool applyMonitorsConfig(uint32_t serial, Method method,
                             const QList<DisplayConfigLogicalMonitorAssignment>& logicalMonitors,
                             std::string* error, int timeoutMs = TimeoutMs) const;

    QDBusConnection connection() const { return m_connection; }

private:
    QDBusConnection m_connection;
};
