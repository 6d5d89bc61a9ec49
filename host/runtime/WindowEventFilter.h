#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// The event filter a host hands to a test window. It forwards every key
// press to the window's KeyPressed(int) slot, by name, with the key's native
// X key code, and remembers the window so the host can end it (Escape).
class WindowEventFilter : public QObject
{
    Q_OBJECT

public:
    static constexpr int EscapeKeyCode = 9;

    explicit WindowEventFilter(QObject* parent = nullptr) : QObject(parent) {}

    // The window the filter was last installed on, while it exists.
    QWidget* window() const { return m_window; }

    // The title the window gets before it shows ("Red purity test — dpy1 ·
    // DELL AW2518HF · DP-1"), so a window list names the test and display.
    void setWindowTitle(const QString& title) { m_title = title; }

    // Ends the window as the Escape key would. False when there is none.
    bool sendEscape();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    QString m_title;
};
