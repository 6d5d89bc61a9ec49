#pragma once

#include "host/runtime/TestEntry.h"

#include <atomic>
#include <cstdint>
#include <string>

class InputRequest;

// How a host answers the requests of a running test. answer() is always
// called on the user-interface thread and returns the code to write back;
// for a window request it runs the window (see WindowExecutor).
class RequestHandler
{
public:
    struct Context
    {
        std::string device;
        TestEntry test;
        const std::atomic<bool>* stop = nullptr;
    };

    virtual ~RequestHandler() = default;
    // Whether this host can take the user's input at all.
    virtual bool acceptsInput() const = 0;
    virtual uint32_t answer(InputRequest& request, const Context& context) = 0;
};
