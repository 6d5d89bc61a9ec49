#include "host/runtime/WindowExecutor.h"

#include "host/runtime/WindowEventFilter.h"
#include "widgets/AbstractWidgetWrapper.h"

#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

int WindowExecutor::run(AbstractWidgetWrapper* wrapper, QWidget* parent, int limitMs,
                        const std::atomic<bool>* stop, WindowEventFilter* hostFilter,
                        const QString& title)
{
    if (!wrapper)
        return 0;
    WindowEventFilter ownFilter;
    WindowEventFilter& filter = hostFilter ? *hostFilter : ownFilter;
    if (!title.isEmpty())
        filter.setWindowTitle(title);
    QElapsedTimer clock;
    clock.start();
    // The window's own event loop runs this watchdog; it outlives the window
    // only until run() returns.
    QTimer watchdog;
    watchdog.setInterval(100);
    QString placement;
    QObject::connect(&watchdog, &QTimer::timeout, [&]() {
        // Where the window system put the window, each time that changes.
        const QWidget* window = filter.window();
        const QWindow* handle = window ? window->windowHandle() : nullptr;
        if (handle && handle->isExposed()) {
            const QSize size = handle->size() * handle->devicePixelRatio();
            const QString now = QStringLiteral("test window on screen %1: %2x%3 device pixels%4")
                                    .arg(handle->screen() ? handle->screen()->name() : QString())
                                    .arg(size.width())
                                    .arg(size.height())
                                    .arg(handle->windowStates() & Qt::WindowFullScreen
                                             ? QStringLiteral(", full screen")
                                             : QString());
            if (now != placement)
                qInfo("%s", qPrintable(now));
            placement = now;
        }
        const bool stopping = stop && stop->load();
        const bool expired = limitMs >= 0 && clock.elapsed() >= limitMs;
        if ((stopping || expired) && filter.sendEscape())
            watchdog.stop();
    });
    watchdog.start();
    return wrapper->run(parent, &filter);
}
