#include "widgets/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

bool ScreenPlacement::windowsPlaceThemselves()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QScreen* ScreenPlacement::screenShowing(const QRect& deviceRect)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens)
        if (screen->geometry() == deviceRect)
            return screen;
    for (QScreen* screen : screens)
        if (screen->geometry().contains(deviceRect.center()))
            return screen;
    return nullptr;
}

void ScreenPlacement::showFullScreenOn(QWidget* window, QScreen* screen)
{
    // The native window must exist to be given a screen before it is shown.
    window->winId();
    if (QWindow* handle = window->windowHandle())
        handle->setScreen(screen);
    window->setWindowState(window->windowState() | Qt::WindowFullScreen);
}
