#pragma once

#include <QObject>

#include <cstdint>

class QScreen;

// Keeps the system-event word that running tests watch. Every event that can
// spoil a test sets its own bit, all inside the mask the module checks:
//
//   0x001 ScreenAdded       a screen appeared
//   0x002 ScreenRemoved     a screen went away
//   0x008 ScreenGeometry    a screen moved or changed its size (mode switch)
//   0x010 SessionSleep      the machine is about to sleep (logind)
//   0x020 SessionLocked     the session was locked or the screen saver started
//   0x040 AppSuspended      the windowing system suspended the application
//
// The word is cleared when a test starts, so a test only sees what happened
// during its own run. Lives on the user-interface thread; tests read the word
// from any thread.
class SystemEventMonitor : public QObject
{
    Q_OBJECT

public:
    enum Event : uint32_t {
        ScreenAdded = 0x001,
        ScreenRemoved = 0x002,
        ScreenGeometry = 0x008,
        SessionSleep = 0x010,
        SessionLocked = 0x020,
        AppSuspended = 0x040,
    };

    explicit SystemEventMonitor(QObject* parent = nullptr);
    ~SystemEventMonitor() override;

    const uint32_t* word() const { return &m_word; }
    uint32_t value() const;
    void clear();
    void raise(uint32_t events);

private slots:
    void screenAdded(QScreen* screen);
    void screenRemoved(QScreen* screen);
    void screenGeometryChanged();
    void applicationStateChanged(Qt::ApplicationState state);
    void prepareForSleep(bool sleeping);
    void sessionLocked();
    void screenSaverActiveChanged(bool active);

private:
    void watch(QScreen* screen);
    void watchSession();

    uint32_t m_word = 0;
};
