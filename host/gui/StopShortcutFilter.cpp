#include "host/gui/StopShortcutFilter.h"

#include <QKeyEvent>
#include <QWidget>

bool StopShortcutFilter::eventFilter(QObject* watched, QEvent* event)
{
    // Test windows make themselves application-modal, which would leave the
    // main window's Stop dead while a pattern shows (on another monitor, in
    // plain sight). Polish comes just before the window is shown.
    if (event->type() == QEvent::Polish) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->isWindow())
            widget->setWindowModality(Qt::NonModal);
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Q && (key->modifiers() & Qt::ControlModifier)) {
            if (event->type() == QEvent::KeyPress) {
                if (m_requestStop)
                    m_requestStop();
                if (!sendEscape())
                    QMetaObject::invokeMethod(watched, "KeyPressed", Qt::DirectConnection,
                                              Q_ARG(int, EscapeKeyCode));
            }
            event->accept();
            return true;
        }
    }
    return WindowEventFilter::eventFilter(watched, event);
}
