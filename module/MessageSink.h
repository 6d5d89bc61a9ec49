#pragma once

#include <cstdint>
#include <string>

// Host object that records the result messages of a run. The module always
// passes a text key, a null pointer and 0.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void report(std::string textKey, const void* data, int32_t value) = 0; // slot 1
};
