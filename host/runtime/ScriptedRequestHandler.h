#pragma once

#include "host/runtime/RequestHandler.h"
#include "module/SettingsMap.h"

#include <QString>

#include <deque>
#include <functional>
#include <string>

// Answers requests without a person, for factory and CI runs: text requests
// take the next scripted answer (cancel when none is left); window requests
// run the real window until it ends by itself, and a window still open a
// little after the test's configured time-out (the interactive one has no
// time-out of its own) is ended with Escape.
class ScriptedRequestHandler : public RequestHandler
{
public:
    // Grace after the configured time-out before Escape is sent.
    static constexpr int GraceMs = 1500;

    // enabled false: the host takes no input, so attended tests do not run.
    ScriptedRequestHandler(bool enabled, std::deque<uint32_t> answers, SettingsMap settings);

    // Parses "continue,no,3": words continue, cancel, yes, no or codes.
    static bool parseAnswers(const std::string& list, std::deque<uint32_t>& answers,
                             std::string* error);

    // The display time-out the module reads for a test, in seconds.
    static int timeoutSeconds(const SettingsMap& settings, const std::string& testNameKey);

    // Names each test window (the test and its display) in the window list.
    using WindowTitle = std::function<QString(const Context& context)>;
    void setWindowTitle(WindowTitle title) { m_windowTitle = std::move(title); }

    bool acceptsInput() const override { return m_enabled; }
    uint32_t answer(InputRequest& request, const Context& context) override;

    // Questions answered cancel because no scripted answer was left.
    int unanswered() const { return m_unanswered; }
    // Scripted answers never asked for.
    int leftOver() const { return static_cast<int>(m_answers.size()); }

private:
    bool m_enabled;
    int m_unanswered = 0;
    std::deque<uint32_t> m_answers;
    SettingsMap m_settings;
    WindowTitle m_windowTitle;
};
