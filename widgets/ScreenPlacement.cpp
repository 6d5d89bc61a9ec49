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

bool ScreenPlacement::place(QWidget* window, const QRect& deviceRect)
{
    if (windowsPlaceThemselves())
        return false;
    QScreen* screen = screenShowing(deviceRect);
    if (!screen)
        return false;
    // The native window must exist to be given a screen before it is shown.
    window->createWinId();
    window->windowHandle()->setScreen(screen);
    window->setWindowState(window->windowState() | Qt::WindowFullScreen);
    return true;
}
