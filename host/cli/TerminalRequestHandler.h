#pragma once

#include "host/runtime/RequestHandler.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

class InputChannel;
class KeyTranslator;

// Asks a person at a terminal: each question shows the display, the test,
// its translated title and text on the prompt stream and reads the answer
// from the input, while the user-interface thread keeps its event loop.
// Confirmations take c/continue or an empty line and x/cancel; yes/no
// questions take y/yes and n/no; anything else asks again. The end of input
// answers cancel and nothing more is asked; an interrupt at a prompt answers
// cancel. Windows run on the display under test until they end by
// themselves or by Escape.
class TerminalRequestHandler : public RequestHandler
{
public:
    struct Options
    {
        int inputFd = 0;
        std::FILE* prompts = stderr;
        // Labels of the displays ("dpy2 · E19-7 · VGA-1"), by identifier.
        std::map<std::string, std::string> deviceLabels;
        // Set from a signal handler when the user presses Ctrl+C.
        const std::atomic<bool>* interrupt = nullptr;
        // Windows nobody can see (offscreen) still need an end: milliseconds
        // after which Escape is sent, by test name key; -1 for none.
        std::function<int(const std::string& testNameKey)> windowLimitMs;
        // Called with true before anything is written, false once answered.
        std::function<void(bool asking)> asking;
    };

    TerminalRequestHandler(const KeyTranslator& translator, Options options);
    ~TerminalRequestHandler() override;

    // The code that a typed line answers for the request's answer set, or -1
    // when the line is no valid answer.
    static int parseAnswer(const std::string& line, uint32_t answerSet);

    bool acceptsInput() const override { return true; }
    // True once the input has ended (Ctrl+D, or a closed pipe).
    bool inputEnded() const { return m_ended; }
    uint32_t answer(InputRequest& request, const Context& context) override;

private:
    enum class Input { Line, End, Interrupted };

    Input readLine(std::string* line, const Context& context);
    bool interrupted(const Context& context) const;
    std::string label(const Context& context) const;

    const KeyTranslator& m_translator;
    Options m_options;
    std::string m_buffer;
    bool m_ended = false;
    std::unique_ptr<InputChannel> m_input; // made at the first question
};
