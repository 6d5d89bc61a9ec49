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

    // The screen whose device-pixel rectangle holds the centre of rect; null
    // when none does.
    static QScreen* screenShowing(const QRect& deviceRect);

    // The screen's rectangle in device pixels: its place on the desktop and
    // its size times its pixel ratio.
    static QRect deviceRect(const QScreen* screen);

    // Asks for window full-screen on the screen showing deviceRect, when
    // windows do not place themselves. False when it left window alone.
    static bool place(QWidget* window, const QRect& deviceRect);
};
