#include "host/runtime/MetricsReport.h"

#include <cstdio>
#include <map>
#include <utility>

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
    std::vector<std::pair<std::string, std::string>> order;
    std::map<std::pair<std::string, std::string>, uint32_t> results;
    for (const RunRecord& run : runs) {
        const auto key = std::make_pair(run.device, run.test);
        if (!results.count(key))
            order.push_back(key);
        results[key] = run.result;
    }
    out += header("orvane_display_test_result",
                  "The result code of each test: 0 passed, 1 failed, 3 not performed, "
                  "4 aborted, 6 not run.");
    for (const auto& key : order)
        out += "orvane_display_test_result" +
               labels({{"device", key.first}, {"test", key.second}}) + " " +
               std::to_string(results[key]) + "\n";
    out += header("orvane_display_test_passed", "1 when the test passed, else 0.");
    for (const auto& key : order)
        out += "orvane_display_test_passed" +
               labels({{"device", key.first}, {"test", key.second}}) +
               (results[key] == 0 ? " 1\n" : " 0\n");

    out += header("orvane_display_last_run_timestamp_seconds",
                  "When the last display check ended, in seconds since the epoch.");
    char number[64];
    std::snprintf(number, sizeof(number), "%.3f", endedSeconds);
    out += std::string("orvane_display_last_run_timestamp_seconds ") + number + "\n";
    return out;
}
