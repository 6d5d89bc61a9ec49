#pragma once

#include "host/runtime/WindowEventFilter.h"

#include <functional>

// The event filter the front end hands to test windows: Ctrl+Q asks the run
// to stop and ends the window as Escape does, before the window sees the key,
// so the test ends through its own checks. Other keys go on as usual. The
// window does not block the main window, whose Stop must work at any time.
class StopShortcutFilter : public WindowEventFilter
{
    Q_OBJECT

public:
    explicit StopShortcutFilter(std::function<void()> requestStop, QObject* parent = nullptr)
        : WindowEventFilter(parent), m_requestStop(std::move(requestStop))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_requestStop;
};
