#include "widgets/DevicePainter.h"

#include "widgets/DevicePixelSurface.h"
#include "widgets/DisplayWidget.h"
#include "widgets/ScreenPlacement.h"

#include <QPaintEvent>

#include <cmath>

DevicePainter::DevicePainter(DisplayWidget* window, const QPaintEvent* event) : m_window(window)
{
    if (DevicePixelSurface* surface = window->deviceSurface()) {
        const QSize device = window->surfaceDeviceSize();
        QImage& frame = surface->beginFrame(device);
        if (!frame.isNull()) {
            // Qt's own buffer lies hidden below the opaque surface, which
            // covers the whole window: it is left as it is.
            m_surface = surface;
            m_logical = window->surfaceLogicalSize();
            m_size = device;
            m_painter.begin(&frame);
            return;
        }
    }
    m_painter.begin(window);
    DeviceGeometry::paintInDevicePixels(m_painter);
    if (ScreenPlacement::windowsPlaceThemselves()) {
        m_size = window->deviceGeometry().deviceSize(event->rect().size());
    } else {
        // Qt's whole buffer, whatever the compositor makes of it.
        const qreal ratio = window->devicePixelRatioF();
        m_size = QSize(int(std::ceil(event->rect().width() * ratio)),
                       int(std::ceil(event->rect().height() * ratio)));
    }
}

DevicePainter::~DevicePainter()
{
    m_painter.end();
    if (m_surface) {
        m_surface->present(m_logical);
        m_window->noteShown(m_size, m_window->frameScale());
    }
}
