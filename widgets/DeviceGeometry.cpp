#include "widgets/DeviceGeometry.h"

#include "widgets/ScreenPlacement.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#ifdef MODULE_DISPLAY_HAS_X11EXTRAS
#include <QX11Info>
#include <xcb/xcb.h>
#endif

#include <algorithm>
#include <cmath>

namespace {
// The Qt length that Qt scales to exactly `device` pixels (it rounds the
// product), or when no length does, the shortest that covers them.
int logicalLength(int device, qreal scale)
{
    // Far beyond any screen the search is pointless and could overflow.
    const double exact = device / scale;
    if (std::abs(exact) > double(1 << 28))
        return int(std::clamp(exact, -double(1 << 29), double(1 << 29)));
    const int guess = int(std::floor(exact));
    for (int k = guess - 1; k <= guess + 2; ++k)
        if (qRound(k * scale) == device)
            return k;
    int k = guess - 1;
    while (qRound(k * scale) < device)
        ++k;
    return k;
}

// Moves and sizes the native window itself, on the X connection Qt uses so
// that the request follows Qt's own. Qt learns the result from the server.
void setNativeGeometry(QWidget* window, const QRect& device)
{
#ifdef MODULE_DISPLAY_HAS_X11EXTRAS
    if (!QX11Info::isPlatformX11() || !QX11Info::connection())
        return;
    const uint32_t values[] = {uint32_t(device.x()), uint32_t(device.y()),
                               uint32_t(std::max(device.width(), 1)),
                               uint32_t(std::max(device.height(), 1))};
    xcb_configure_window(QX11Info::connection(), xcb_window_t(window->winId()),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    xcb_flush(QX11Info::connection());
#else
    Q_UNUSED(window)
    Q_UNUSED(device)
#endif
}
} // namespace

DeviceGeometry::DeviceGeometry(const QRect& deviceRect) : m_device(deviceRect)
{
    // Where the compositor places windows (Wayland), the display's screen is
    // the one it announces at the display's place, and the window fills it.
    if (!ScreenPlacement::windowsPlaceThemselves()) {
        if (QScreen* screen = ScreenPlacement::screenShowing(deviceRect)) {
            m_screen = screen;
            m_scale = screen->devicePixelRatio();
            map(deviceRect.topLeft());
            return;
        }
    }
    QScreen* best = QGuiApplication::primaryScreen();
    qint64 bestArea = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect shared = deviceRectOf(screen).intersected(deviceRect);
        const qint64 area = shared.isEmpty() ? 0 : qint64(shared.width()) * shared.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    m_screen = best;
    m_scale = best ? best->devicePixelRatio() : 1;
    map(best ? best->geometry().topLeft() : QPoint());
}

DeviceGeometry::DeviceGeometry(const QRect& deviceRect, const QPoint& origin, qreal scale)
    : m_device(deviceRect), m_scale(scale > 0 ? scale : 1)
{
    map(origin);
}

void DeviceGeometry::setScale(qreal scale)
{
    m_scale = scale > 0 ? scale : 1;
    map(m_origin);
}

void DeviceGeometry::map(const QPoint& origin)
{
    m_origin = origin;
    if (qFuzzyCompare(m_scale, 1)) {
        m_scale = 1;
        m_logical = m_device;
        return;
    }
    const QPoint offset = m_device.topLeft() - origin;
    m_logical = QRect(
        origin + QPoint(logicalLength(offset.x(), m_scale), logicalLength(offset.y(), m_scale)),
        QSize(logicalLength(m_device.width(), m_scale), logicalLength(m_device.height(), m_scale)));
}

void DeviceGeometry::place(QWidget* window) const
{
    window->setGeometry(m_logical);
    if (!ScreenPlacement::windowsPlaceThemselves()) {
        if (m_screen)
            ScreenPlacement::showFullScreenOn(window, m_screen);
        return;
    }
    if (m_scale == 1 || !m_screen)
        return;
    // Qt picks a new window's screen from its geometry in its own
    // coordinates, where scaled screens may overlap; name the screen.
    window->winId();
    if (QWindow* handle = window->windowHandle()) {
        handle->setScreen(m_screen);
        handle->setGeometry(m_logical); // mapped again, now on that screen
    }
    if (toDevice(m_logical) != m_device && !m_device.isEmpty())
        setNativeGeometry(window, m_device);
}

QRect DeviceGeometry::toDevice(const QRect& logicalRect) const
{
    return QRect(m_origin + (logicalRect.topLeft() - m_origin) * m_scale,
                 logicalRect.size() * m_scale);
}

int DeviceGeometry::toLogicalLength(int deviceLength) const
{
    return qRound(deviceLength / m_scale);
}

QSize DeviceGeometry::deviceSize(const QSize& logicalSize) const
{
    if (logicalSize == m_logical.size())
        return m_device.size();
    return QSize(int(std::ceil(logicalSize.width() * m_scale)),
                 int(std::ceil(logicalSize.height() * m_scale)));
}

QRect DeviceGeometry::deviceRectOf(const QScreen* screen)
{
    const QRect logical = screen->geometry();
    return QRect(logical.topLeft(), logical.size() * screen->devicePixelRatio());
}

void DeviceGeometry::paintInDevicePixels(QPainter& painter)
{
    // The device transform is the high-DPI scale alone while nothing else
    // has been set; its inverse leaves one Qt pixel per device pixel.
    const QTransform device = painter.deviceTransform();
    if (device.m11() > 0 && device.m22() > 0)
        painter.setWorldTransform(QTransform::fromScale(1 / device.m11(), 1 / device.m22()));
}
