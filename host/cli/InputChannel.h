#pragma once

#include <functional>
#include <memory>
#include <string>

// Standard input read on the user-interface thread without blocking its
// event loop: wait() runs an event loop until input is there or stop says
// so (asked every 50 ms). A socket notifier on POSIX systems
// (InputChannelPosix.cpp); on Windows, whose console and pipe handles have
// none, a thread that reads ahead (InputChannelWindows.cpp).
class InputChannel
{
public:
    explicit InputChannel(int fd);
    ~InputChannel();
    InputChannel(const InputChannel&) = delete;
    InputChannel& operator=(const InputChannel&) = delete;

    // True when input (or its end) is there, false when stop said so.
    bool wait(const std::function<bool()>& stop);
    // Appends what is there to buffer; false at the end of input.
    bool read(std::string& buffer);

private:
    struct State;
    std::shared_ptr<State> m_state;
};
