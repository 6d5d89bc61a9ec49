#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct wl_display;

// A client connection to a Wayland compositor that several threads share.
// Every use of the connection, and every event handler, runs with mutex()
// held; a listening thread dispatches what the compositor sends between
// requests, so the objects' state stays current without anyone asking.
// Waiting for an answer is bounded: a compositor that hangs or vanishes
// makes the wait fail instead of blocking.
class WaylandConnection
{
public:
    // Connects to the socket named name (null: $WAYLAND_DISPLAY). Null with
    // *error set when no compositor answers there.
    static std::unique_ptr<WaylandConnection> connect(const char* name, std::string* error);
    ~WaylandConnection();

    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    wl_display* display() const { return m_display; }
    std::mutex& mutex() { return m_mutex; }

    // Dispatches events until done() holds, for at most timeoutMs. False on
    // time-out or when the connection broke. The caller holds mutex().
    bool dispatchUntil(const std::function<bool()>& done, int timeoutMs);
    // Waits until the compositor has answered every request sent so far.
    bool roundtrip(int timeoutMs);
    // True once the compositor went away or reported a protocol error.
    bool broken() const;

    // Starts the thread that dispatches events as they arrive; afterEvents
    // runs (with mutex() held) after each batch.
    void startListening(std::function<void()> afterEvents);
    // Stops that thread; called before the objects the events reach go away.
    void stopListening();

private:
    explicit WaylandConnection(wl_display* display);
    void listen();

    wl_display* m_display;
    std::mutex m_mutex;
    std::thread m_listener;
    std::function<void()> m_afterEvents;
    int m_wakePipe[2] = {-1, -1};
};
