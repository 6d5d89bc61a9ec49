#include "display/platform/gnome/DisplayConfigWatcher.h"

DisplayConfigWatcher::DisplayConfigWatcher(DisplayBackend::ChangeCallback handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler))
{
    DisplayConfigState state;
    if (m_client.currentState(state, nullptr))
        m_layout = layoutOf(state);
    m_connected = m_client.connection().connect(
        DisplayConfigClient::Service, DisplayConfigClient::Path, DisplayConfigClient::Interface,
        QStringLiteral("MonitorsChanged"), this, SLOT(monitorsChanged()));
}

DisplayConfigWatcher::~DisplayConfigWatcher()
{
    if (m_connected)
        m_client.connection().disconnect(
            DisplayConfigClient::Service, DisplayConfigClient::Path, DisplayConfigClient::Interface,
            QStringLiteral("MonitorsChanged"), this, SLOT(monitorsChanged()));
}

QMap<QString, QString> DisplayConfigWatcher::layoutOf(const DisplayConfigState& state)
{
    QMap<QString, QString> layout;
    for (const DisplayConfigLogicalMonitor& logical : state.logicalMonitors) {
        for (const DisplayConfigMonitorSpec& spec : logical.monitors) {
            const DisplayConfigMonitor* monitor = state.monitor(spec.connector);
            const DisplayConfigMode* mode = monitor ? monitor->currentMode() : nullptr;
            layout.insert(spec.connector, QStringLiteral("%1,%2 %3 %4 %5")
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

void DisplayConfigWatcher::monitorsChanged()
{
    DisplayConfigState state;
    // Without an answer nothing can be compared, and the change is not lost
    // on the test: something moved.
    if (!m_client.currentState(state, nullptr)) {
        if (m_handler)
            m_handler(DisplayBackend::DisplayReconfigured);
        return;
    }
    QMap<QString, QString> layout = layoutOf(state);
    const uint32_t changes = changesBetween(m_layout, layout);
    m_layout = std::move(layout);
    if (changes && m_handler)
        m_handler(changes);
}
