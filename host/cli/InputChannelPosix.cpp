#include "host/cli/InputChannel.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <unistd.h>

struct InputChannel::State
{
    int fd = 0;
};

InputChannel::InputChannel(int fd) : m_state(std::make_shared<State>())
{
    m_state->fd = fd;
}

InputChannel::~InputChannel() = default;

bool InputChannel::wait(const std::function<bool()>& stop)
{
    QEventLoop loop;
    bool readable = false;
    QSocketNotifier notifier(m_state->fd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&]() {
        readable = true;
        notifier.setEnabled(false);
        loop.quit();
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        if (stop())
            loop.quit();
    });
    poll.start(50);
    loop.exec();
    return readable;
}

bool InputChannel::read(std::string& buffer)
{
    char chunk[512];
    const ssize_t count = ::read(m_state->fd, chunk, sizeof chunk);
    if (count > 0)
        buffer.append(chunk, static_cast<size_t>(count));
    return count > 0 || (count < 0 && (errno == EINTR || errno == EAGAIN));
}
