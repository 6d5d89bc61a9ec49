#include "host/runtime/MetricsReport.h"

#include "host/runtime/DisplayVerdict.h"

#include <cstdio>

namespace {
std::string header(const char* name, const char* help)
{
    return std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n";
}

std::string labels(const std::vector<std::pair<std::string, std::string>>& pairs)
{
    std::string text = "{";
    for (size_t i = 0; i < pairs.size(); ++i)
        text += (i ? "," : "") + pairs[i].first + "=\"" +
                MetricsReport::labelValue(pairs[i].second) + "\"";
    return text + "}";
}
} // namespace

std::string MetricsReport::labelValue(const std::string& bytes)
{
    const QByteArray utf8 = DisplayFacts::text(bytes).toUtf8();
    std::string out;
    out.reserve(static_cast<size_t>(utf8.size()));
    for (const char c : utf8) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string MetricsReport::text(const std::vector<DisplayFacts>& displays,
                                const std::vector<RunRecord>& runs, double endedSeconds)
{
    std::string out =
        header("orvane_display_info", "Each display found: its output and which monitor it is.");
    for (const DisplayFacts& display : displays) {
        auto value = [](const std::optional<std::string>& known) { return known.value_or(""); };
        out += "orvane_display_info" +
               labels({{"device", display.device},
                       {"connector", value(display.connector)},
                       {"manufacturer", value(display.manufacturer)},
                       {"model", value(display.model)},
                       {"serial", value(display.serial)},
                       {"native", value(display.nativeResolution)},
                       {"current", value(display.currentResolution)}}) +
               " 1\n";
    }

    // One series per display and test: a test run twice keeps its last result.
    const std::vector<DisplayVerdict> verdicts = DisplayVerdict::of(runs);
    auto eachResult = [&](const char* name, auto value) {
        for (const DisplayVerdict& verdict : verdicts)
            for (const RunRecord& run : verdict.latest())
                out += name + labels({{"device", run.device}, {"test", run.test}}) + " " +
                       value(run.result) + "\n";
    };
    out += header("orvane_display_test_result",
                  "The result code of each test: 0 passed, 1 failed, 3 not performed, "
                  "4 aborted, 6 not run.");
    eachResult("orvane_display_test_result",
               [](uint32_t result) { return std::to_string(result); });
    out += header("orvane_display_test_passed", "1 when the test passed, else 0.");
    eachResult("orvane_display_test_passed",
               [](uint32_t result) { return std::string(result == 0 ? "1" : "0"); });

    out += header("orvane_display_last_run_timestamp_seconds",
                  "When the last display check ended, in seconds since the epoch.");
    char number[64];
    std::snprintf(number, sizeof(number), "%.3f", endedSeconds);
    out += std::string("orvane_display_last_run_timestamp_seconds ") + number + "\n";
    return out;
}
