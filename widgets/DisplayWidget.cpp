#include "widgets/DisplayWidget.h"

#include "module/SystemEventMask.h"
#include "widgets/WindowResult.h"

#include <QCursor>
#include <QKeyEvent>
#include <QTimer>

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
    m_deviceGeometry = DeviceGeometry(QRect(x, y, width, height));
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
