#include "host/cli/TerminalRequestHandler.h"

#include "host/cli/InputChannel.h"
#include "host/runtime/KeyTranslator.h"
#include "host/runtime/WindowExecutor.h"
#include "tests/InputRequest.h"

#include <algorithm>
#include <cctype>

namespace {
std::string lowerTrimmed(const std::string& text)
{
    const auto space = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), space);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), space).base();
    std::string result;
    for (auto c = first; c < last; ++c)
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    return result;
}

// Breaks a paragraph into lines of at most width columns, indented.
std::string wrapped(const std::string& text, size_t width, const std::string& indent)
{
    std::string out;
    std::string line;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        start = end + 1;
        if (word.empty())
            continue;
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            out += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty())
        out += indent + line + "\n";
    return out;
}
} // namespace

TerminalRequestHandler::TerminalRequestHandler(const KeyTranslator& translator, Options options)
    : m_translator(translator), m_options(std::move(options))
{}

TerminalRequestHandler::~TerminalRequestHandler() = default;

int TerminalRequestHandler::parseAnswer(const std::string& line, uint32_t answerSet)
{
    const std::string word = lowerTrimmed(line);
    if (answerSet == 2) {
        if (word == "y" || word == "yes")
            return 3;
        if (word == "n" || word == "no")
            return 4;
        return -1;
    }
    if (word.empty() || word == "c" || word == "continue")
        return 1;
    if (word == "x" || word == "cancel")
        return 0;
    return -1;
}

bool TerminalRequestHandler::interrupted(const Context& context) const
{
    return (m_options.interrupt && m_options.interrupt->load()) ||
           (context.stop && context.stop->load());
}

std::string TerminalRequestHandler::label(const Context& context) const
{
    const auto found = m_options.deviceLabels.find(context.device);
    return found == m_options.deviceLabels.end() ? context.device : found->second;
}

uint32_t TerminalRequestHandler::answer(InputRequest& request, const Context& context)
{
    if (interrupted(context))
        return request.widget ? 2 : 0; // a window ends as if by Escape
    const std::string testName = m_translator.bytes(context.test.nameKey);
    std::FILE* out = m_options.prompts;
    if (m_options.asking)
        m_options.asking(true);
    if (request.widget) {
        std::fprintf(out, "%s  %s: the test window is shown on that display (Escape ends it).\n",
                     label(context).c_str(), testName.c_str());
        std::fflush(out);
        if (m_options.asking)
            m_options.asking(false);
        const int limit =
            m_options.windowLimitMs ? m_options.windowLimitMs(context.test.nameKey) : -1;
        return static_cast<uint32_t>(
            WindowExecutor::run(request.widget, nullptr, limit, context.stop, nullptr,
                                QString::fromStdString(testName + " \u2014 " + label(context))));
    }
    if (m_ended) {
        if (m_options.asking)
            m_options.asking(false);
        return 0;
    }
    const bool yesNo = request.answerSet == 2;
    std::string text = "\n" + label(context) + "  " + testName + "\n";
    const std::string title = m_translator.bytes(request.title);
    if (!title.empty() && title != testName)
        text += "  " + title + "\n";
    text += wrapped(m_translator.bytes(request.text), 76, "  ");
    const char* prompt = yesNo ? "Yes or no? [y/n] " : "Continue or cancel? [C/x] ";
    std::fputs(text.c_str(), out);
    uint32_t code = 0;
    for (;;) {
        std::fputs(prompt, out);
        std::fflush(out);
        std::string line;
        const Input input = readLine(&line, context);
        if (input != Input::Line) {
            // The cursor still stands after the prompt (and the terminal's "^C").
            std::fputs(input == Input::End ? "cancel (end of input)\n" : " cancel (interrupted)\n",
                       out);
            m_ended = m_ended || input == Input::End;
            break;
        }
        const int parsed = parseAnswer(line, request.answerSet);
        if (parsed >= 0) {
            code = static_cast<uint32_t>(parsed);
            break;
        }
        std::fputs(yesNo ? "  Please answer y (yes) or n (no).\n"
                         : "  Please answer c (continue, or just Enter) or x (cancel).\n",
                   out);
    }
    std::fflush(out);
    if (m_options.asking)
        m_options.asking(false);
    return code;
}

TerminalRequestHandler::Input TerminalRequestHandler::readLine(std::string* line,
                                                               const Context& context)
{
    for (;;) {
        const size_t newline = m_buffer.find('\n');
        if (newline != std::string::npos) {
            *line = m_buffer.substr(0, newline);
            m_buffer.erase(0, newline + 1);
            return Input::Line;
        }
        if (m_ended)
            return Input::End;
        if (interrupted(context))
            return Input::Interrupted;
        // Wait in an event loop, not in read(): screen events and the
        // interrupt poll go on while the user thinks.
        if (!m_input)
            m_input = std::make_unique<InputChannel>(m_options.inputFd);
        if (!m_input->wait([&]() { return interrupted(context); }))
            continue;
        if (!m_input->read(m_buffer))
            m_ended = true;
    }
}
