#pragma once

#include "autotests/support/HostEvent.h"
#include "module/FeedbackChannel.h"
#include "module/MessageSink.h"
#include "module/RunContext.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QObject;

// A host for the test suite: it is the run context, the message sink and the
// feedback channel at once, records everything a test does in order, and
// answers requests from a script.
//
// Each scripted answer is taken by the next request. A text request gets the
// scripted code; a window request runs the real window through its wrapper
// (as a host does) unless the script gives a code. A script step may also run
// an action first, which is how a test flips the stop flag or the
// system-event word "while the question is open".
class RecordingHost : public RunContext, public MessageSink, public FeedbackChannel
{
public:
    using Action = std::function<void(RecordingHost&)>;

    struct Answer
    {
        bool runWindow = false; // window requests: execute the wrapper
        uint32_t code = 0;      // otherwise: the answer written back
        Action before;          // runs before the answer is given
    };

    RecordingHost() = default;
    explicit RecordingHost(SystemComponent* component) : m_component(component) {}

    // Script.
    RecordingHost& answer(uint32_t code, Action before = {});
    RecordingHost& runWindow(Action before = {});

    // Configuration of the context.
    RecordingHost& setComponent(SystemComponent* component)
    {
        m_component = component;
        return *this;
    }
    RecordingHost& setStopRequested(bool stop)
    {
        m_stop = stop;
        return *this;
    }
    RecordingHost& setSystemEvent(uint32_t word)
    {
        m_systemEventWord = word;
        return *this;
    }
    RecordingHost& setInputTypeRecognized(bool recognized)
    {
        m_inputTypeRecognized = recognized;
        return *this;
    }
    void setEventFilter(QObject* filter) { m_eventFilter = filter; }
    // Leave out parts of the context to make it incomplete.
    void dropMessageSink() { m_hasMessageSink = false; }
    RecordingHost& dropFeedbackChannel()
    {
        m_hasFeedbackChannel = false;
        return *this;
    }
    void dropSystemEventWord() { m_hasSystemEventWord = false; }

    // What was recorded.
    const std::vector<HostEvent>& events() const { return m_events; }
    std::vector<int> progressPercents() const;
    std::vector<std::string> progressTexts() const;
    std::vector<std::string> messages() const;
    std::vector<HostEvent> requests() const;
    int countProgress(uint8_t percent) const;
    uint32_t* systemEventWordAddress() { return &m_systemEventWord; }

    // RunContext
    SystemComponent* component() override { return m_component; }
    MessageSink* messageSink() override { return m_hasMessageSink ? this : nullptr; }
    FeedbackChannel* feedbackChannel() override { return m_hasFeedbackChannel ? this : nullptr; }
    void* hostData() override { return nullptr; }
    bool stopRequested() override { return m_stop; }
    const uint32_t* systemEventWord() override
    {
        return m_hasSystemEventWord ? &m_systemEventWord : nullptr;
    }

    // MessageSink
    void report(std::string textKey, const void* data, int32_t value) override;

    // FeedbackChannel
    void progress(uint8_t percent, const std::string& textKey) override;
    void request(InputRequest& request) override;
    void notice(const std::string&) override {}
    bool inputTypeRecognized() override { return m_inputTypeRecognized; }

private:
    SystemComponent* m_component = nullptr;
    bool m_stop = false;
    uint32_t m_systemEventWord = 0;
    bool m_inputTypeRecognized = true;
    bool m_hasMessageSink = true;
    bool m_hasFeedbackChannel = true;
    bool m_hasSystemEventWord = true;
    QObject* m_eventFilter = nullptr;
    std::deque<Answer> m_script;
    std::vector<HostEvent> m_events;
};
