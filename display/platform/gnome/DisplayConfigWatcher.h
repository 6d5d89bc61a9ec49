#pragma once

#include "display/platform/DisplayBackend.h"
#include "display/platform/gnome/DisplayConfigClient.h"

#include <QMap>
#include <QObject>
#include <QString>

// Listens for MonitorsChanged and tells what changed, as DisplayBackend::DisplayEvent
// bits, by comparing each new layout with the one before. Lives on the thread
// that created it, whose event loop delivers the signal.
class DisplayConfigWatcher : public QObject
{
    Q_OBJECT

public:
    explicit DisplayConfigWatcher(DisplayBackend::ChangeCallback handler,
                                  QObject* parent = nullptr);
    ~DisplayConfigWatcher() override;

    // Per active monitor: where it is and how it runs, as text to compare.
    static QMap<QString, QString> layoutOf(const DisplayConfigState& state);

    // The Change bits between two layouts.
    static uint32_t changesBetween(const QMap<QString, QString>& before,
                                   const QMap<QString, QString>& after);

private slots:
    void monitorsChanged();

private:
    DisplayConfigClient m_client;
    DisplayBackend::ChangeCallback m_handler;
    QMap<QString, QString> m_layout;
    bool m_connected = false;
};
