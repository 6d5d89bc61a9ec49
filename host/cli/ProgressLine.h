#pragma once

#include <QElapsedTimer>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

// The line on a terminal that shows what is running: the display, the test,
// its latest progress and the seconds since it started, redrawn in place
// every second so that long windows do not look like a hang. The seconds
// tick on a thread of their own: a test window's nested event loop holds
// back the timers started before it. Disabled, it writes nothing at all.
class ProgressLine
{
public:
    ProgressLine(std::FILE* stream, bool enabled);
    ~ProgressLine();

    bool isEnabled() const { return m_enabled; }

    void start(const std::string& device, const std::string& test);
    void update(int percent, const std::string& text);
    // Wipes the line so that other output can take its place; the next
    // redraw brings it back unless suspended.
    void clear();
    // While the user types an answer nothing may be drawn over the prompt.
    void suspend();
    void resume();
    void finish();

    // The line for the given state, cut to width columns (0: no limit).
    static std::string compose(const std::string& device, const std::string& test, int percent,
                               const std::string& text, qint64 seconds, int width);

private:
    void draw(); // with m_mutex held
    void tick();

    std::FILE* m_stream;
    bool m_enabled;
    bool m_running = false;
    bool m_suspended = false;
    bool m_shown = false;
    std::string m_device;
    std::string m_test;
    std::string m_text;
    int m_percent = 0;
    QElapsedTimer m_clock;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_quit = false;
    std::thread m_ticker;
};
