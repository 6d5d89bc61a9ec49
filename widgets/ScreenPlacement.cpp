#include "widgets/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

bool ScreenPlacement::windowsPlaceThemselves()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QRect ScreenPlacement::deviceRect(const QScreen* screen)
{
    const QRect geometry = screen->geometry();
    return {geometry.topLeft(), geometry.size() * screen->devicePixelRatio()};
}

QScreen* ScreenPlacement::screenShowing(const QRect& deviceRect)
{
    const QPoint centre(deviceRect.x() + deviceRect.width() / 2,
                        deviceRect.y() + deviceRect.height() / 2);
    for (QScreen* screen : QGuiApplication::screens())
        if (ScreenPlacement::deviceRect(screen).contains(centre))
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
