#include "host/cli/InputChannel.h"

#include <QEventLoop>
#include <QTimer>

#include <io.h>

#include <mutex>
#include <thread>

struct InputChannel::State
{
    std::mutex mutex;
    std::string pending;
    bool ended = false;
};

InputChannel::InputChannel(int fd) : m_state(std::make_shared<State>())
{
    // The reader blocks in _read until a line or the end comes; it holds the
    // state, not the channel, and is left to the process's end when the
    // channel goes first.
    std::thread([state = m_state, fd]() {
        char chunk[512];
        for (;;) {
            const int count = _read(fd, chunk, sizeof chunk);
            std::lock_guard<std::mutex> lock(state->mutex);
            if (count <= 0) {
                state->ended = true;
                return;
            }
            state->pending.append(chunk, static_cast<size_t>(count));
        }
    }).detach();
}

InputChannel::~InputChannel() = default;

bool InputChannel::wait(const std::function<bool()>& stop)
{
    const auto ready = [this]() {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        return !m_state->pending.empty() || m_state->ended;
    };
    if (ready())
        return true;
    QEventLoop loop;
    bool readable = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        if (ready()) {
            readable = true;
            loop.quit();
        } else if (stop()) {
            loop.quit();
        }
    });
    poll.start(20);
    loop.exec();
    return readable;
}

bool InputChannel::read(std::string& buffer)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (m_state->pending.empty())
        return !m_state->ended;
    buffer += m_state->pending;
    m_state->pending.clear();
    return true;
}
