#include "host/runtime/ScriptedRequestHandler.h"

#include "host/runtime/WindowExecutor.h"
#include "tests/InputRequest.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {
// The same reading as the module's: leading digits, anything after ignored.
bool leadingInteger(const std::string& text, long long* value)
{
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || errno == ERANGE)
        return false;
    *value = parsed;
    return true;
}
} // namespace

ScriptedRequestHandler::ScriptedRequestHandler(bool enabled, std::deque<uint32_t> answers,
                                               SettingsMap settings)
    : m_enabled(enabled), m_answers(std::move(answers)), m_settings(std::move(settings))
{}

bool ScriptedRequestHandler::parseAnswers(const std::string& list, std::deque<uint32_t>& answers,
                                          std::string* error)
{
    std::deque<uint32_t> parsed;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        std::string word = list.substr(start, comma - start);
        while (!word.empty() && word.front() == ' ')
            word.erase(0, 1);
        while (!word.empty() && word.back() == ' ')
            word.pop_back();
        start = comma + 1;
        if (word.empty())
            continue;
        if (word == "continue")
            parsed.push_back(1);
        else if (word == "cancel")
            parsed.push_back(0);
        else if (word == "yes")
            parsed.push_back(3);
        else if (word == "no")
            parsed.push_back(4);
        else if (word.find_first_not_of("0123456789") == std::string::npos && word.size() <= 10 &&
                 std::stoull(word) <= UINT32_MAX)
            parsed.push_back(static_cast<uint32_t>(std::stoull(word)));
        else {
            if (error)
                *error = "unknown answer \"" + word +
                         "\"; use continue, cancel, yes, no or an answer code";
            return false;
        }
    }
    answers = std::move(parsed);
    return true;
}

int ScriptedRequestHandler::timeoutSeconds(const SettingsMap& settings,
                                           const std::string& testNameKey)
{
    const auto section = settings.find("CSAT");
    if (section == settings.end())
        return 5;
    long long value = 0;
    const auto own = section->second.find("CSAT_TEST_TIMEOUT_" + testNameKey);
    if (own != section->second.end() && leadingInteger(own->second, &value))
        return static_cast<int>(std::max(0LL, std::min(value, 86400LL)));
    const auto general = section->second.find("CSAT_TEST_TIMEOUT");
    if (general != section->second.end() && leadingInteger(general->second, &value))
        return static_cast<int>(std::max(0LL, std::min(value, 86400LL)));
    return 5;
}

uint32_t ScriptedRequestHandler::answer(InputRequest& request, const Context& context)
{
    if (!m_enabled)
        return 0;
    const bool stopping = context.stop && context.stop->load();
    if (request.widget) {
        if (stopping)
            return 2; // as if the user had pressed Escape
        const int limitMs = timeoutSeconds(m_settings, context.test.nameKey) * 1000 + GraceMs;
        return static_cast<uint32_t>(
            WindowExecutor::run(request.widget, nullptr, limitMs, context.stop, nullptr,
                                m_windowTitle ? m_windowTitle(context) : QString()));
    }
    if (stopping)
        return 0;
    if (m_answers.empty()) {
        ++m_unanswered;
        return 0;
    }
    const uint32_t code = m_answers.front();
    m_answers.pop_front();
    return code;
}
