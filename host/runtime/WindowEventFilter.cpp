#include "host/runtime/WindowEventFilter.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

bool WindowEventFilter::sendEscape()
{
    if (!m_window)
        return false;
    return QMetaObject::invokeMethod(m_window, "KeyPressed", Qt::DirectConnection,
                                     Q_ARG(int, EscapeKeyCode));
}

bool WindowEventFilter::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->isWindow() && m_window != widget)
        m_window = widget;
    if (event->type() == QEvent::Polish && widget && widget->isWindow() && !m_title.isEmpty())
        widget->setWindowTitle(m_title);
    if (event->type() == QEvent::KeyPress && widget) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int code = static_cast<int>(key->nativeScanCode());
        // Synthetic key events (and the offscreen platform) carry no native
        // code; the window's own key handling deals with those.
        if (code != 0 && widget->metaObject()->indexOfSlot("KeyPressed(int)") >= 0) {
            QMetaObject::invokeMethod(widget, "KeyPressed", Qt::DirectConnection, Q_ARG(int, code));
            // Escape is fully handled by the slot; other keys (digits) still
            // reach the window's own handling.
            return code == EscapeKeyCode;
        }
    }
    return QObject::eventFilter(watched, event);
}
