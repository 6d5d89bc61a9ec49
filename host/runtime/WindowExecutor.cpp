#include "host/runtime/WindowExecutor.h"

#include "host/runtime/WindowEventFilter.h"
#include "widgets/AbstractWidgetWrapper.h"

#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

int WindowExecutor::run(AbstractWidgetWrapper* wrapper, QWidget* parent, int limitMs,
                        const std::atomic<bool>* stop)
{
    if (!wrapper)
        return 0;
    WindowEventFilter filter;
    QElapsedTimer clock;
    clock.start();
    // The window's own event loop runs this watchdog; it outlives the window
    // only until run() returns.
    QTimer watchdog;
    watchdog.setInterval(100);
    bool reported = false;
    QObject::connect(&watchdog, &QTimer::timeout, [&]() {
        // Where the window system put the window, as it says after showing it.
        QWidget* window = filter.window();
        if (!reported && window && window->windowHandle() && window->windowHandle()->isExposed()) {
            reported = true;
            const QWindow* handle = window->windowHandle();
            const QSize size = handle->size() * handle->devicePixelRatio();
            qInfo("test window on screen %s: %dx%d device pixels%s",
                  qPrintable(handle->screen() ? handle->screen()->name() : QString()), size.width(),
                  size.height(),
                  handle->windowStates() & Qt::WindowFullScreen ? ", full screen" : "");
        }
        const bool stopping = stop && stop->load();
        const bool expired = limitMs >= 0 && clock.elapsed() >= limitMs;
        if ((stopping || expired) && filter.sendEscape())
            watchdog.stop();
    });
    watchdog.start();
    return wrapper->run(parent, &filter);
}
