#pragma once

#include <X11/Xlib.h>

// Catches the X errors of one connection for as long as it lives, so that an
// error answers the request that caused it instead of Xlib's default handler
// ending the process. Errors of other connections go to the handler that was
// installed before. Requests without a reply report their errors only after a
// round trip: call sync() before reading failed() for those.
class XErrorTrap
{
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits until the server has handled every request sent so far.
    void sync();

    // True when an X error arrived since construction or the last clear().
    bool failed() const { return m_errorCode != 0; }
    int errorCode() const { return m_errorCode; }
    void clear() { m_errorCode = 0; }

    // Makes a broken connection return from Xlib instead of ending the
    // process; set once per connection. brokenFlag is set when it breaks.
    static void protectConnection(Display* display, bool* brokenFlag);

private:
    static int handleError(Display* display, XErrorEvent* event);
    static int handleIOError(Display* display);

    Display* m_display;
    XErrorTrap* m_outer;
    int (*m_previousHandler)(Display*, XErrorEvent*);
    int (*m_previousIOHandler)(Display*);
    int m_errorCode = 0;
};
