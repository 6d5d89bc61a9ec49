#include "host/runtime/WindowExecutor.h"

#include "host/runtime/WindowEventFilter.h"
#include "widgets/AbstractWidgetWrapper.h"
#include "widgets/ShownPixels.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace {
WindowExecutor::WarningSink& warningSink()
{
    static WindowExecutor::WarningSink sink;
    return sink;
}

// "1920x1080 device pixels at scale 1.5": what the window's frames have,
// where the window says so, else its Qt buffer.
QString shownPixels(const QWidget* window, const QWindow* handle)
{
    QSize size = window->property(ShownPixels::SizeProperty).toSize();
    if (!size.isValid())
        size = handle->size() * handle->devicePixelRatio();
    QString text = QStringLiteral("%1x%2 device pixels").arg(size.width()).arg(size.height());
    const QVariant scale = window->property(ShownPixels::ScaleProperty);
    if (scale.isValid())
        text += QStringLiteral(" at scale %1").arg(scale.toDouble());
    return text;
}
} // namespace

void WindowExecutor::setWarningSink(WarningSink sink)
{
    warningSink() = std::move(sink);
}

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
    QString seen;
    bool warned = false;
    QObject::connect(&watchdog, &QTimer::timeout, [&]() {
        // Where the window system put the window, each time that changes.
        const QWidget* window = filter.window();
        const QWindow* handle = window ? window->windowHandle() : nullptr;
        // On Wayland the compositor places the window after its first
        // frames; the window says what it shows once it knows.
        const bool known =
            window && (window->property(ShownPixels::SizeProperty).isValid() ||
                       !QGuiApplication::platformName().startsWith(QLatin1String("wayland")));
        if (handle && handle->isExposed() && known) {
            const QString now = QStringLiteral("test window on screen %1: %2%3")
                                    .arg(handle->screen() ? handle->screen()->name() : QString())
                                    .arg(shownPixels(window, handle))
                                    .arg(handle->windowStates() & Qt::WindowFullScreen
                                             ? QStringLiteral(", full screen")
                                             : QString());
            // Said once it held for a tick: a window passes other outputs
            // and scales while the compositor places it.
            if (now == seen && now != placement) {
                qInfo("%s", qPrintable(now));
                placement = now;
            }
            seen = now;
            const QString why = window->property(ShownPixels::WarningProperty).toString();
            if (!why.isEmpty() && !warned) {
                warned = true;
                if (warningSink())
                    warningSink()(why);
            }
        }
        const bool stopping = stop && stop->load();
        const bool expired = limitMs >= 0 && clock.elapsed() >= limitMs;
        if ((stopping || expired) && filter.sendEscape())
            watchdog.stop();
    });
    watchdog.start();
    return wrapper->run(parent, &filter);
}
