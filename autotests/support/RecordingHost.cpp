#include "autotests/support/RecordingHost.h"

#include "tests/InputRequest.h"
#include "widgets/AbstractWidgetWrapper.h"

RecordingHost& RecordingHost::answer(uint32_t code, Action before)
{
    m_script.push_back({false, code, std::move(before)});
    return *this;
}

RecordingHost& RecordingHost::runWindow(Action before)
{
    m_script.push_back({true, 0, std::move(before)});
    return *this;
}

std::vector<int> RecordingHost::progressPercents() const
{
    std::vector<int> percents;
    for (const HostEvent& event : m_events) {
        if (event.kind == HostEvent::Progress)
            percents.push_back(event.percent);
    }
    return percents;
}

std::vector<std::string> RecordingHost::progressTexts() const
{
    std::vector<std::string> texts;
    for (const HostEvent& event : m_events) {
        if (event.kind == HostEvent::Progress)
            texts.push_back(event.text);
    }
    return texts;
}

std::vector<std::string> RecordingHost::messages() const
{
    std::vector<std::string> keys;
    for (const HostEvent& event : m_events) {
        if (event.kind == HostEvent::Message)
            keys.push_back(event.text);
    }
    return keys;
}

std::vector<HostEvent> RecordingHost::requests() const
{
    std::vector<HostEvent> requests;
    for (const HostEvent& event : m_events) {
        if (event.kind == HostEvent::Request)
            requests.push_back(event);
    }
    return requests;
}

int RecordingHost::countProgress(uint8_t percent) const
{
    int count = 0;
    for (const HostEvent& event : m_events)
        count += event.kind == HostEvent::Progress && event.percent == percent;
    return count;
}

void RecordingHost::report(std::string textKey, const void*, int32_t)
{
    HostEvent event;
    event.kind = HostEvent::Message;
    event.text = std::move(textKey);
    m_events.push_back(event);
}

void RecordingHost::progress(uint8_t percent, const std::string& textKey)
{
    HostEvent event;
    event.kind = HostEvent::Progress;
    event.percent = percent;
    event.text = textKey;
    m_events.push_back(event);
}

void RecordingHost::request(InputRequest& request)
{
    Answer step;
    if (!m_script.empty()) {
        step = std::move(m_script.front());
        m_script.pop_front();
    } else {
        // Unscripted: windows run for real, questions get no valid answer.
        step.runWindow = request.widget != nullptr;
    }
    if (step.before)
        step.before(*this);

    if (step.runWindow && request.widget)
        request.answer = static_cast<uint32_t>(request.widget->run(nullptr, m_eventFilter));
    else
        request.answer = step.code;

    HostEvent event;
    event.kind = HostEvent::Request;
    event.title = request.title;
    event.text = request.text;
    event.presentation = request.presentation;
    event.answerSet = request.answerSet;
    event.carriesWindow = request.widget != nullptr;
    event.answer = request.answer;
    m_events.push_back(event);
}
