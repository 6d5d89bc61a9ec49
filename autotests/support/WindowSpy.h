#pragma once

#include "widgets/DisplayWidget.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

// The event-filter object a host hands to a window's run(): it records each
// test window as it is shown and can act on it from inside its event loop
// (press a key, click, end it), as a user or a host would.
class WindowSpy : public QObject
{
public:
    struct Shown
    {
        QString className;
        QRect geometry;
        uint32_t mode = 0;
        const uint32_t* systemEventWord = nullptr;
        bool hasTimeout = false;
    };

    // Runs once the window's loop is running.
    std::function<void(DisplayWidget*)> onShown;
    std::vector<Shown> shown;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<DisplayWidget*>(watched);
        if (window && event->type() == QEvent::Show) {
            shown.push_back({QString::fromLatin1(window->metaObject()->className()),
                             window->geometry(), window->mode(), window->systemEventWord(),
                             window->hasTimeout()});
            if (onShown) {
                QPointer<DisplayWidget> guard(window);
                QTimer::singleShot(0, this, [this, guard] {
                    if (guard)
                        onShown(guard);
                });
            }
        }
        return false;
    }
};
