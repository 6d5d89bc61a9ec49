#pragma once

#include <QRect>

class QPainter;
class QScreen;
class QWidget;

// A display's rectangle in device pixels (what the platform reports and what
// the panel shows) and the rectangle in Qt's coordinates that puts a
// top-level window exactly there. Qt's high-DPI scaling keeps a screen's
// top-left corner in device pixels and divides positions inside the screen
// and sizes by the screen's factor, rounding each back to whole device
// pixels; the mapping inverts that for the screen that shows the display.
class DeviceGeometry
{
public:
    DeviceGeometry() = default;
    // Maps onto the screen that shows most of deviceRect (the primary one
    // when none does); under a compositor that places windows, onto the
    // screen it announces at deviceRect.
    explicit DeviceGeometry(const QRect& deviceRect);
    // Maps onto a screen whose top-left corner is origin and which has scale
    // device pixels per Qt pixel.
    DeviceGeometry(const QRect& deviceRect, const QPoint& origin, qreal scale);

    QRect deviceRect() const { return m_device; }
    QRect logicalRect() const { return m_logical; }
    qreal scale() const { return m_scale; }
    QScreen* screen() const { return m_screen; } // null when no screen was looked up

    // Puts a top-level window on the display: Qt's geometry on the display's
    // screen, and on X11 the exact device rectangle where Qt's rounding of a
    // fractional factor cannot reach it (1024 pixels are 682.67 at 1.5).
    // Under a compositor that places windows, full screen on that screen.
    void place(QWidget* window) const;

    // Maps with another scale (the compositor's, where Qt's own differs), on
    // the same screen.
    void setScale(qreal scale);

    // Where Qt puts a window given logicalRect: the inverse of the mapping.
    QRect toDevice(const QRect& logicalRect) const;
    // A length in device pixels as whole Qt pixels (font sizes).
    int toLogicalLength(int deviceLength) const;
    // The device pixels a paint of logicalSize covers: the whole display
    // for a full repaint, else the scaled size rounded up.
    QSize deviceSize(const QSize& logicalSize) const;

    // A screen's rectangle in device pixels.
    static QRect deviceRectOf(const QScreen* screen);
    // Undoes the painter's high-DPI scaling so that it paints device pixels,
    // one pattern pixel per panel pixel, whatever the factor.
    static void paintInDevicePixels(QPainter& painter);

private:
    void map(const QPoint& origin);

    QRect m_device;
    QRect m_logical;
    QPoint m_origin;
    qreal m_scale = 1;
    QScreen* m_screen = nullptr;
};
