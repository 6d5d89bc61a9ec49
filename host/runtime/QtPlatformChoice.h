#pragma once

#include <QString>

#include <string>

// Which of Qt's platforms shows the test windows. In a Wayland session only
// Qt's own Wayland platform can put a window on a chosen output (through
// XWayland a window cannot place itself), so it comes first there; an X
// display comes next; without either, windows are drawn off screen.
class QtPlatformChoice
{
public:
    // Sets QT_QPA_PLATFORM unless the user did, before the application is
    // made. offscreenFallback: end the list with Qt's offscreen platform.
    // Returns why, for verbose output.
    static std::string choose(bool offscreenFallback);

    // True for Qt's message that the connection to the display server broke
    // (the compositor or X server died); Qt ends the process right after it.
    static bool isConnectionLoss(const QString& message);

    // The one sentence the hosts say when that happens, before leaving with 2.
    static const char* connectionLossSentence();
};
