#pragma once

#include "display/platform/DisplayBackend.h"
#include "display/platform/gnome/DisplayConfigClient.h"

#include <QMap>
#include <QObject>
#include <QString>

#include <atomic>
#include <mutex>

// Listens, on a thread of its own with an event loop, for MonitorsChanged
// and for the service changing hands. Either marks the backend's copy of the
// state stale, so the backend asks again only after a change; with a change
// callback set it also tells what changed, as DisplayBackend::DisplayEvent
// bits, by comparing each new layout with the one before.
class DisplayConfigWatcher : public QObject
{
    Q_OBJECT

public:
    explicit DisplayConfigWatcher(std::atomic<bool>* stale);

    // Thread-safe; returns only after a call of the previous callback in
    // progress has ended, so whatever it reaches may go afterwards. current:
    // the state the backend holds now, to compare with.
    void setChangeCallback(DisplayBackend::ChangeCallback callback,
                           const DisplayConfigState& current);

    // Per active monitor: where it is and how it runs, as text to compare.
    static QMap<QString, QString> layoutOf(const DisplayConfigState& state);

    // The DisplayEvent bits between two layouts.
    static uint32_t changesBetween(const QMap<QString, QString>& before,
                                   const QMap<QString, QString>& after);

public slots:
    // Subscribes to the signals; called on the watcher's thread. False when
    // the bus refused, and then nothing marks the state stale.
    bool start();
    // Unsubscribes and closes the watcher's own bus connection, on its
    // thread, before it is destroyed.
    void stop();

private slots:
    void monitorsChanged();
    void serviceOwnerChanged(const QString& service, const QString& oldOwner,
                             const QString& newOwner);

private:
    // Hands changes to the callback, if one is set, with m_calling held.
    void report(uint32_t changes);

    DisplayConfigClient m_client;
    std::atomic<bool>* m_stale;
    std::mutex m_calling; // held while the callback is set or called
    std::mutex m_mutex;   // guards the callback and the layout
    DisplayBackend::ChangeCallback m_callback;
    QMap<QString, QString> m_layout;
};
