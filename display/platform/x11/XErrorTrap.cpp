#include "display/platform/x11/XErrorTrap.h"

namespace {
// The innermost trap; Xlib's handlers are process-wide and take no context.
XErrorTrap* activeTrap = nullptr;
int (*activePrevious)(Display*, XErrorEvent*) = nullptr;

void markBroken(Display*, void* flag)
{
    // Returning lets the failed Xlib call come back with an error.
    *static_cast<bool*>(flag) = true;
}
} // namespace

XErrorTrap::XErrorTrap(Display* display) : m_display(display), m_outer(activeTrap)
{
    m_previousHandler = XSetErrorHandler(&XErrorTrap::handleError);
    m_previousIOHandler = XSetIOErrorHandler(&XErrorTrap::handleIOError);
    activePrevious = m_outer ? activePrevious : m_previousHandler;
    activeTrap = this;
}

XErrorTrap::~XErrorTrap()
{
    activeTrap = m_outer;
    XSetIOErrorHandler(m_previousIOHandler);
    XSetErrorHandler(m_previousHandler);
}

void XErrorTrap::sync()
{
    XSync(m_display, False);
}

void XErrorTrap::protectConnection(Display* display, bool* brokenFlag)
{
    XSetIOErrorExitHandler(display, &markBroken, brokenFlag);
}

int XErrorTrap::handleError(Display* display, XErrorEvent* event)
{
    for (XErrorTrap* trap = activeTrap; trap; trap = trap->m_outer) {
        if (trap->m_display == display) {
            if (trap->m_errorCode == 0)
                trap->m_errorCode = event->error_code ? event->error_code : -1;
            return 0;
        }
    }
    if (activePrevious)
        return activePrevious(display, event);
    return 0;
}

int XErrorTrap::handleIOError(Display*)
{
    // The connection's exit handler records the break; nothing to print.
    return 0;
}
