#include "display/platform/kde/WaylandConnection.h"

#include <wayland-client.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

std::unique_ptr<WaylandConnection> WaylandConnection::connect(const char* name, std::string* error)
{
    wl_display* display = wl_display_connect(name);
    if (!display) {
        if (error) {
            const char* socket = name ? name : std::getenv("WAYLAND_DISPLAY");
            *error = std::string("no Wayland compositor answers on ") +
                     (socket && *socket ? socket : "wayland-0");
        }
        return nullptr;
    }
    return std::unique_ptr<WaylandConnection>(new WaylandConnection(display));
}

WaylandConnection::WaylandConnection(wl_display* display) : m_display(display) {}

WaylandConnection::~WaylandConnection()
{
    stopListening();
    wl_display_disconnect(m_display);
}

bool WaylandConnection::broken() const
{
    return wl_display_get_error(m_display) != 0;
}

bool WaylandConnection::dispatchUntil(const std::function<bool()>& done, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (wl_display_dispatch_pending(m_display) < 0)
            return false;
        if (done())
            return true;
        if (wl_display_prepare_read(m_display) != 0)
            continue; // more events were queued meanwhile
        if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(m_display);
            return false;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd socket = {wl_display_get_fd(m_display), POLLIN, 0};
        const int ready = left > 0 ? poll(&socket, 1, int(left)) : 0;
        if (ready <= 0) {
            wl_display_cancel_read(m_display);
            if (ready < 0 && errno == EINTR)
                continue;
            return false;
        }
        if (wl_display_read_events(m_display) < 0)
            return false;
    }
}

bool WaylandConnection::roundtrip(int timeoutMs)
{
    bool answered = false;
    static const wl_callback_listener listener = {
        [](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback* callback = wl_display_sync(m_display);
    if (!callback)
        return false;
    wl_callback_add_listener(callback, &listener, &answered);
    const bool done = dispatchUntil([&answered]() { return answered; }, timeoutMs);
    // A late answer to a destroyed callback is dropped by the library.
    wl_callback_destroy(callback);
    return done;
}

void WaylandConnection::startListening(std::function<void()> afterEvents)
{
    if (m_listener.joinable() || pipe2(m_wakePipe, O_CLOEXEC) != 0)
        return;
    m_afterEvents = std::move(afterEvents);
    m_listener = std::thread([this]() { listen(); });
}

void WaylandConnection::stopListening()
{
    if (!m_listener.joinable())
        return;
    const char stop = 1;
    (void)!write(m_wakePipe[1], &stop, 1);
    m_listener.join();
    close(m_wakePipe[0]);
    close(m_wakePipe[1]);
    m_wakePipe[0] = m_wakePipe[1] = -1;
}

void WaylandConnection::listen()
{
    for (;;) {
        pollfd fds[2] = {{wl_display_get_fd(m_display), POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            return;
        std::lock_guard<std::mutex> lock(m_mutex);
        // Another thread may have read the events already: read only what
        // is still waiting, never block while holding the lock.
        if (wl_display_prepare_read(m_display) == 0) {
            pollfd socket = {wl_display_get_fd(m_display), POLLIN, 0};
            if (poll(&socket, 1, 0) > 0)
                wl_display_read_events(m_display);
            else
                wl_display_cancel_read(m_display);
        }
        wl_display_dispatch_pending(m_display);
        if (m_afterEvents)
            m_afterEvents();
        if (broken())
            return;
    }
}
