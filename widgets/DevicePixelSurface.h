#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <vector>

class QWindow;

// A surface of our own over a Qt window on Wayland whose buffer has the
// output's size in device pixels and is mapped one to one onto the panel.
// Qt 5 only paints whole buffer scales, which the compositor resamples on a
// fractionally scaled output; this surface is a subsurface of the window's
// surface, scaled by the viewporter onto the window's logical size, with an
// empty input region so that keys and clicks still reach the Qt window below.
// Its objects live on an event queue of their own on Qt's connection.
class DevicePixelSurface
{
public:
    // Null, with *missing naming what lacks, when Qt is not on Wayland, the
    // window has no surface yet, or the compositor offers no subsurfaces,
    // shared memory or viewporter.
    static std::unique_ptr<DevicePixelSurface> attach(QWindow* window, QString* missing = nullptr);
    ~DevicePixelSurface();

    DevicePixelSurface(const DevicePixelSurface&) = delete;
    DevicePixelSurface& operator=(const DevicePixelSurface&) = delete;

    // The scale the compositor prefers for the window (fractional scale
    // protocol), 0 when it offers none or has not said one yet.
    double preferredScale();
    // Whether the compositor has said a scale since the surface was
    // attached: its first word may come before it placed the window.
    bool preferredScaleChanged();

    // The image of the next frame: deviceSize pixels in shared memory the
    // compositor reads, contents undefined. A null image when the memory
    // cannot be had.
    QImage& beginFrame(const QSize& deviceSize);
    // Shows the frame begun last, stretched by the compositor onto
    // logicalSize (the window's size in its surface coordinates).
    void present(const QSize& logicalSize);
    // Shows nothing, uncovering the Qt window below.
    void hide();

    struct Connection;
    struct Buffer;

private:
    DevicePixelSurface() = default;

    std::unique_ptr<Connection> m_connection;
    std::vector<std::unique_ptr<Buffer>> m_buffers;
    Buffer* m_frame = nullptr;
    QImage m_none;
};
