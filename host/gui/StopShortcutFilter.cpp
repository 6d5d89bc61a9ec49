#include "host/gui/StopShortcutFilter.h"

#include <QKeyEvent>

bool StopShortcutFilter::eventFilter(QObject* watched, QEvent* event)
{
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
