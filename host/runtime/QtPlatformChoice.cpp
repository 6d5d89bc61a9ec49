#include "host/runtime/QtPlatformChoice.h"

#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

std::string QtPlatformChoice::choose(bool offscreenFallback)
{
#ifdef Q_OS_WIN
    // Windows has one desktop; DISPLAY and the like mean nothing there (Wine
    // passes its Unix environment on).
    (void)offscreenFallback;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return "the Windows desktop";
#endif
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return "as QT_QPA_PLATFORM=" + qEnvironmentVariable("QT_QPA_PLATFORM").toStdString() +
               " asks";
    QString platforms;
    std::string why;
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty()) {
        platforms = QStringLiteral("wayland");
        why = "a Wayland session (WAYLAND_DISPLAY=" + wayland.toStdString() +
              "): the compositor puts each test window on its output";
    }
    const QString x11 = qEnvironmentVariable("DISPLAY");
    if (!x11.isEmpty()) {
        platforms += platforms.isEmpty() ? QStringLiteral("xcb") : QStringLiteral(";xcb");
        if (why.empty())
            why = "the X display " + x11.toStdString();
    }
    if (offscreenFallback) {
        platforms +=
            platforms.isEmpty() ? QStringLiteral("offscreen") : QStringLiteral(";offscreen");
        if (why.empty())
            why = "no display server: windows are drawn off screen";
    }
    if (platforms.isEmpty())
        return "Qt's default";
    qputenv("QT_QPA_PLATFORM", platforms.toLocal8Bit());
    return why;
}

bool QtPlatformChoice::isConnectionLoss(const QString& message)
{
    // Qt's Wayland and X11 platforms say so just before they end the process.
    // "The Wayland connection broke" and "...experienced a fatal error".
    return message.startsWith(QLatin1String("The Wayland connection")) ||
           message.contains(QLatin1String("Wayland compositor die")) ||
           message.startsWith(QLatin1String("The X11 connection broke"));
}

const char* QtPlatformChoice::connectionLossSentence()
{
    return "the connection to the display server broke while a test window was open (did the "
           "compositor or X server stop?); ending";
}

void QtPlatformChoice::endForConnectionLoss(const char* program, int status)
{
    static std::atomic<bool> said{false};
    if (!said.exchange(true)) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s.\n", program, connectionLossSentence());
        _exit(status);
    }
    // Another thread is ending the process.
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}
