#pragma once

#include <QString>

#include <atomic>
#include <functional>

class AbstractWidgetWrapper;
class QWidget;
class WindowEventFilter;

// Runs the window of a window request on the user-interface thread, through
// the wrapper as the module expects, with a key-forwarding event filter. It
// can end the window with Escape after a limit (for windows without a
// time-out of their own) and as soon as a stop is requested. A host may hand
// in a filter of its own (a subclass that catches more keys).
class WindowExecutor
{
public:
    // limitMs < 0: no limit. stop may be null. A title, when given, names
    // the window (the test and the display) for the window list.
    static int run(AbstractWidgetWrapper* wrapper, QWidget* parent, int limitMs,
                   const std::atomic<bool>* stop, WindowEventFilter* filter = nullptr,
                   const QString& title = QString());

    // Receives, on the user-interface thread and once per window, why a
    // window's single pixels are not exact ("the compositor scales this
    // window by 1.5; single pixels are not exact"), so that the host can say
    // so before anyone judges the pattern. An empty sink drops them.
    using WarningSink = std::function<void(const QString& warning)>;
    static void setWarningSink(WarningSink sink);
};
