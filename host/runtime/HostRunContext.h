#pragma once

#include "host/runtime/RequestHandler.h"
#include "host/runtime/RunRecord.h"
#include "module/FeedbackChannel.h"
#include "module/MessageSink.h"
#include "module/RunContext.h"

#include <atomic>
#include <functional>

// The host's objects of one test run: the component under test, the record
// that collects progress and messages, the stop flag and the system-event
// word. Requests are carried to the user-interface thread and the calling
// (worker) thread waits there for the answer.
class HostRunContext : public RunContext, public MessageSink, public FeedbackChannel
{
public:
    struct Observer
    {
        std::function<void(int percent, const std::string& text)> progress;
        std::function<void(const std::string& key)> message;
    };

    HostRunContext(SystemComponent* component, RunRecord& record, RequestHandler* handler,
                   RequestHandler::Context requestContext, const std::atomic<bool>* stop,
                   const uint32_t* systemEventWord, Observer observer = {});

    // RunContext
    SystemComponent* component() override { return m_component; }
    MessageSink* messageSink() override { return this; }
    FeedbackChannel* feedbackChannel() override { return this; }
    void* hostData() override { return nullptr; }
    bool stopRequested() override { return m_stop && m_stop->load(); }
    const uint32_t* systemEventWord() override { return m_systemEventWord; }

    // MessageSink
    void report(std::string textKey, const void* data, int32_t value) override;

    // FeedbackChannel
    void progress(uint8_t percent, const std::string& textKey) override;
    void request(InputRequest& request) override;
    void notice(const std::string&) override {}
    bool inputTypeRecognized() override;

private:
    SystemComponent* m_component;
    RunRecord& m_record;
    RequestHandler* m_handler;
    RequestHandler::Context m_requestContext;
    const std::atomic<bool>* m_stop;
    const uint32_t* m_systemEventWord;
    Observer m_observer;
};
