#pragma once

#include <cstdint>

class SystemComponent;
class MessageSink;
class FeedbackChannel;

// Host object handed to a test's run(): the component under test, where to
// report, the stop flag and the host's system-event word.
class RunContext
{
public:
    virtual ~RunContext() = default;
    virtual SystemComponent* component() = 0;       // slot 1
    virtual MessageSink* messageSink() = 0;         // slot 2
    virtual FeedbackChannel* feedbackChannel() = 0; // slot 3
    virtual void* hostData() = 0;                   // slot 4, unused by the module
    virtual bool stopRequested() = 0;               // slot 5
    virtual const uint32_t* systemEventWord() = 0;  // slot 6
};
