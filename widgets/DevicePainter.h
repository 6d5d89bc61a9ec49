#pragma once

#include <QPainter>
#include <QSize>

class DevicePixelSurface;
class DisplayWidget;
class QPaintEvent;

// Paints one frame of a pattern window in device pixels, one pattern pixel
// per panel pixel: into the window's device-pixel surface where it has one
// (the whole frame, then shown when the painter goes), else onto the window
// itself with Qt's high-DPI scaling undone.
class DevicePainter
{
public:
    DevicePainter(DisplayWidget* window, const QPaintEvent* event);
    ~DevicePainter();

    DevicePainter(const DevicePainter&) = delete;
    DevicePainter& operator=(const DevicePainter&) = delete;

    QPainter& painter() { return m_painter; }
    // The device pixels to paint, counted from the window's top-left corner.
    QSize size() const { return m_size; }

private:
    DisplayWidget* m_window;
    DevicePixelSurface* m_surface = nullptr;
    QSize m_logical;
    QSize m_size;
    QPainter m_painter;
};
