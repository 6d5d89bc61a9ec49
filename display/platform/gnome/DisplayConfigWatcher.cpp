#include "display/platform/gnome/DisplayConfigWatcher.h"

#include <QDBusServiceWatcher>

namespace {
QString privateConnectionName(const void* watcher)
{
    return QStringLiteral("display-config-watcher-%1").arg(quintptr(watcher), 0, 16);
}
} // namespace

DisplayConfigWatcher::DisplayConfigWatcher(std::atomic<bool>* stale)
    : m_client(privateConnectionName(this)), m_stale(stale)
{}

bool DisplayConfigWatcher::start()
{
    auto* owner = new QDBusServiceWatcher(DisplayConfigClient::Service, m_client.connection(),
                                          QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &DisplayConfigWatcher::serviceOwnerChanged);
    return m_client.connection().connect(
        DisplayConfigClient::Service, DisplayConfigClient::Path, DisplayConfigClient::Interface,
        QStringLiteral("MonitorsChanged"), this, SLOT(monitorsChanged()));
}

void DisplayConfigWatcher::stop()
{
    m_client.connection().disconnect(
        DisplayConfigClient::Service, DisplayConfigClient::Path, DisplayConfigClient::Interface,
        QStringLiteral("MonitorsChanged"), this, SLOT(monitorsChanged()));
    qDeleteAll(findChildren<QDBusServiceWatcher*>());
    QDBusConnection::disconnectFromBus(m_client.connection().name());
}

void DisplayConfigWatcher::setChangeCallback(DisplayBackend::ChangeCallback callback,
                                             const DisplayConfigState& current)
{
    std::lock_guard<std::mutex> calling(m_calling);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_callback = std::move(callback);
    m_layout = layoutOf(current);
}

void DisplayConfigWatcher::report(uint32_t changes)
{
    std::lock_guard<std::mutex> calling(m_calling);
    // Read again under m_calling: a callback removed meanwhile is not called.
    DisplayBackend::ChangeCallback callback;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        callback = m_callback;
    }
    if (callback && changes)
        callback(changes);
}

QMap<QString, QString> DisplayConfigWatcher::layoutOf(const DisplayConfigState& state)
{
    QMap<QString, QString> layout;
    for (const DisplayConfigLogicalMonitor& logical : state.logicalMonitors) {
        for (const DisplayConfigMonitorSpec& monitorId : logical.monitors) {
            const DisplayConfigMonitor* monitor = state.monitor(monitorId.connector);
            const DisplayConfigMode* mode = monitor ? monitor->currentMode() : nullptr;
            layout.insert(monitorId.connector, QStringLiteral("%1,%2 %3 %4 %5")
                                                   .arg(logical.x)
                                                   .arg(logical.y)
                                                   .arg(mode ? mode->id : QString())
                                                   .arg(logical.scale)
                                                   .arg(logical.transform));
        }
    }
    return layout;
}

uint32_t DisplayConfigWatcher::changesBetween(const QMap<QString, QString>& before,
                                              const QMap<QString, QString>& after)
{
    uint32_t changes = 0;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (!before.contains(it.key()))
            changes |= DisplayBackend::DisplayAdded;
        else if (before.value(it.key()) != it.value())
            changes |= DisplayBackend::DisplayReconfigured;
    }
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!after.contains(it.key()))
            changes |= DisplayBackend::DisplayRemoved;
    return changes;
}

void DisplayConfigWatcher::serviceOwnerChanged(const QString&, const QString&,
                                               const QString& newOwner)
{
    m_stale->store(true);
    if (!newOwner.isEmpty())
        return;
    // The compositor is gone, and with it every monitor it showed.
    uint32_t changes = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        changes = changesBetween(m_layout, {});
        m_layout.clear();
    }
    report(changes);
}

void DisplayConfigWatcher::monitorsChanged()
{
    m_stale->store(true);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_callback)
            return;
    }
    DisplayConfigState state;
    // Without an answer nothing can be compared, and the change is not lost
    // on a running test: something moved.
    if (!m_client.currentState(state, nullptr)) {
        report(DisplayBackend::DisplayReconfigured);
        return;
    }
    QMap<QString, QString> layout = layoutOf(state);
    uint32_t changes = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        changes = changesBetween(m_layout, layout);
        m_layout = std::move(layout);
    }
    report(changes);
}
