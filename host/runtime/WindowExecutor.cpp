#include "host/runtime/WindowExecutor.h"

#include "host/runtime/WindowEventFilter.h"
#include "widgets/AbstractWidgetWrapper.h"

#include <QElapsedTimer>
#include <QTimer>

int WindowExecutor::run(AbstractWidgetWrapper* wrapper, QWidget* parent, int limitMs,
                        const std::atomic<bool>* stop, WindowEventFilter* hostFilter)
{
    if (!wrapper)
        return 0;
    WindowEventFilter ownFilter;
    WindowEventFilter& filter = hostFilter ? *hostFilter : ownFilter;
    QElapsedTimer clock;
    clock.start();
    // The window's own event loop runs this watchdog; it outlives the window
    // only until run() returns.
    QTimer watchdog;
    watchdog.setInterval(100);
    QObject::connect(&watchdog, &QTimer::timeout, [&]() {
        const bool stopping = stop && stop->load();
        const bool expired = limitMs >= 0 && clock.elapsed() >= limitMs;
        if ((stopping || expired) && filter.sendEscape())
            watchdog.stop();
    });
    watchdog.start();
    return wrapper->run(parent, &filter);
}
