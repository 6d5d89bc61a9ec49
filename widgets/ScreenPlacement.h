#pragma once

#include <QRect>

class QScreen;
class QWidget;

// Where a window cannot place itself (Wayland: the compositor places every
// window), a test window is shown full-screen on the screen that shows its
// display's rectangle, and the compositor gives it that screen's size.
class ScreenPlacement
{
public:
    // True when Qt's platform lets a window choose its own position.
    static bool windowsPlaceThemselves();

    // The screen placed exactly at deviceRect, else the one holding its
    // centre; null when none does. Compositors announce each output at the
    // place and size the display service reports for it, so the screen's
    // geometry is compared as it is.
    static QScreen* screenShowing(const QRect& deviceRect);

    // Asks for window full-screen on screen, before it is shown.
    static void showFullScreenOn(QWidget* window, QScreen* screen);
};
