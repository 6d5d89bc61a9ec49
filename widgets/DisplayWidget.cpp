#include "widgets/DisplayWidget.h"

#include "module/SystemEventMask.h"
#include "widgets/DevicePixelSurface.h"
#include "widgets/PlatformOutput.h"
#include "widgets/ScreenPlacement.h"
#include "widgets/ShownPixels.h"
#include "widgets/WindowResult.h"

#include <QCursor>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#ifdef MODULE_DISPLAY_HAS_WAYLAND
#include <qpa/qplatformwindow.h>
#endif

#include <cmath>

namespace {
constexpr int EscapeKeycode = 9;
constexpr int SystemEventPollMs = 1000;
} // namespace

DisplayWidget::DisplayWidget(QWidget* parent, QObject* eventFilter, int x, int y, int width,
                             int height, uint32_t mode, const uint32_t* systemEventWord,
                             bool timeoutEnabled, uint32_t timeoutSeconds)
    : InputDialog(parent, eventFilter), m_mode(mode), m_timeoutSeconds(timeoutSeconds)
{
    setFocusPolicy(Qt::NoFocus);
    setWindowFlags(Qt::Dialog | Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    QRect rect(x, y, width, height);
    const bool wayland = !ScreenPlacement::windowsPlaceThemselves();
    if (wayland || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) {
        // Under a compositor the rectangle is in the desktop's coordinates,
        // which it may scale; the output has the backend's device size.
        const PlatformOutput output = PlatformOutput::at(rect);
        if (output.found()) {
            m_outputScale = output.scale();
            m_outputConnector = output.connector();
            if (wayland && output.scale() != 1 && !output.deviceSize().isEmpty())
                rect.setSize(output.deviceSize());
        }
    }
    m_deviceGeometry = DeviceGeometry(rect);
    // What the window lays out in its own coordinates (fonts) reaches the
    // panel at the compositor's scale, not at Qt's whole one.
    if (wayland && m_outputScale > 0)
        m_deviceGeometry.setScale(m_outputScale);
    m_deviceGeometry.place(this);
    m_systemEventWord = systemEventWord;

    if (timeoutEnabled) {
        m_timeoutTimer = new QTimer;
        connect(m_timeoutTimer, SIGNAL(timeout()), this, SLOT(TimedOut()));
        // The interval wraps like the 32-bit product it is; a negative one is
        // refused by QTimer and leaves the window without a time-out.
        const uint32_t intervalMs = timeoutSeconds * 1000u;
        m_timeoutTimer->start(static_cast<int32_t>(intervalMs));
    }
    if (m_systemEventWord) {
        auto* poll = new QTimer(this);
        connect(poll, SIGNAL(timeout()), this, SLOT(SystemEventCheck()));
        poll->start(SystemEventPollMs);
    }
    setCursor(QCursor(Qt::BlankCursor));
    setResult(Timeout);
}

DisplayWidget::~DisplayWidget()
{
    delete m_timeoutTimer;
}

DevicePixelSurface* DisplayWidget::deviceSurface()
{
    QWindow* handle = windowHandle();
    if (!handle)
        return nullptr;
    const QString notExact =
        QStringLiteral("the compositor scales this window by %1; single pixels are not exact");
    if (ScreenPlacement::windowsPlaceThemselves()) {
        // An X11 window through a compositor that scales its output (the
        // X server of a Wayland session) is resampled like any other.
        if (m_outputScale > 0 && m_outputScale != 1) {
            setProperty(ShownPixels::ScaleProperty, m_outputScale);
            setProperty(ShownPixels::WarningProperty, notExact.arg(m_outputScale));
        }
        return nullptr;
    }
    if (!m_surfaceTried)
        attachDeviceSurface();
    const double qtScale = handle->devicePixelRatio();
    m_frameScale = frameScaleNow();
    const QSize qtBuffer = surfaceLogicalSize() * qtScale;
    if (std::abs(m_frameScale - qtScale) < 1e-6) {
        // Qt's own buffer maps one to one.
        if (m_surface) {
            m_surface->hide();
            checkScaleLater();
        }
        noteShown(qtBuffer, m_frameScale);
        setProperty(ShownPixels::WarningProperty, QVariant());
        return nullptr;
    }
    if (!m_surface) {
        noteShown(qtBuffer, m_frameScale);
        setProperty(ShownPixels::WarningProperty, notExact.arg(m_frameScale));
        return nullptr;
    }
    setProperty(ShownPixels::WarningProperty, QVariant());
    checkScaleLater();
    return m_surface.get();
}

void DisplayWidget::attachDeviceSurface()
{
    m_surfaceTried = true;
    m_surface = DevicePixelSurface::attach(windowHandle());
}

double DisplayWidget::frameScaleNow()
{
    const QWindow* handle = windowHandle();
    const double qtScale = handle ? handle->devicePixelRatio() : 1;
    double preferred = m_surface ? m_surface->preferredScale() : 0;
    if (m_outputScale > 0) {
        // While the compositor places the window it may name the scale of
        // another output (KWin first says 1); on the display's own output
        // the backend's scale of that output holds.
        const QSize ownLogical(
            int(std::lround(m_deviceGeometry.deviceRect().width() / m_outputScale)),
            int(std::lround(m_deviceGeometry.deviceRect().height() / m_outputScale)));
        const bool onOwnOutput = (handle && handle->screen() && !m_outputConnector.isEmpty() &&
                                  handle->screen()->name() == m_outputConnector) ||
                                 surfaceLogicalSize() == ownLogical;
        if (onOwnOutput || !m_surface || !m_surface->preferredScaleChanged())
            preferred = 0;
    }
    return preferred > 0 ? preferred : m_outputScale > 0 ? m_outputScale : qtScale;
}

// The compositor may tell the surface's scale only after the frame that
// needed it; a frame made for another scale is made again.
void DisplayWidget::checkScaleLater()
{
    if (m_scaleCheckQueued)
        return;
    m_scaleCheckQueued = true;
    QTimer::singleShot(300, this, [this]() {
        m_scaleCheckQueued = false;
        if (std::abs(frameScaleNow() - m_frameScale) > 1e-6)
            update();
    });
}

QSize DisplayWidget::surfaceLogicalSize() const
{
    const QWindow* handle = windowHandle();
    if (!handle)
        return size();
#ifdef MODULE_DISPLAY_HAS_WAYLAND
    // The platform window's size is in the surface's own coordinates, whatever
    // factor Qt applies on top.
    if (const QPlatformWindow* platform = handle->handle())
        return platform->geometry().size();
#endif
    return handle->size();
}

QSize DisplayWidget::surfaceDeviceSize()
{
    const QSize logical = surfaceLogicalSize();
    return QSize(int(std::lround(logical.width() * m_frameScale)),
                 int(std::lround(logical.height() * m_frameScale)));
}

void DisplayWidget::noteShown(const QSize& devicePixels, double scale)
{
    setProperty(ShownPixels::SizeProperty, devicePixels);
    setProperty(ShownPixels::ScaleProperty, scale != 1 ? QVariant(scale) : QVariant());
}

bool DisplayWidget::hasTimeout() const
{
    // QTimer counts itself active even when the system refused its interval;
    // only a real timer id means it will fire.
    return m_timeoutTimer && m_timeoutTimer->timerId() > 0;
}

void DisplayWidget::KeyPressed(int keycode)
{
    if (keycode == EscapeKeycode)
        finishWithEscape();
}

// Every other key is swallowed so that Return, Enter and Space cannot end a
// pattern window through QDialog's own handling.
void DisplayWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        finishWithEscape();
}

void DisplayWidget::TimedOut()
{
    m_timeoutTimer->stop();
    done(result());
}

void DisplayWidget::SystemEventCheck()
{
    if (readSystemEventWord(m_systemEventWord) & SystemEventMask)
        done(SystemEvent);
}

void DisplayWidget::finishWithEscape()
{
    if (m_timeoutTimer)
        m_timeoutTimer->stop();
    done(Escape);
}
