#include "host/runtime/DisplayVerdict.h"

#include "host/runtime/DisplayLabel.h"

#include <algorithm>

namespace {
// Result codes in the order a summary names them: the worst first.
const std::pair<uint32_t, const char*> CountNames[] = {
    {1, "failed"}, {4, "aborted"}, {3, "not performed"}, {6, "not run"}, {0, "passed"}};
} // namespace

std::vector<DisplayVerdict> DisplayVerdict::of(const std::vector<RunRecord>& runs)
{
    std::vector<DisplayVerdict> verdicts;
    for (const RunRecord& run : runs) {
        auto verdict = std::find_if(verdicts.begin(), verdicts.end(), [&](const DisplayVerdict& v) {
            return v.m_device == run.device;
        });
        if (verdict == verdicts.end()) {
            verdicts.emplace_back();
            verdict = verdicts.end() - 1;
            verdict->m_device = run.device;
        }
        verdict->m_label = DisplayLabel::of(run.device, run.modelName, run.connector);
        auto same = std::find_if(verdict->m_latest.begin(), verdict->m_latest.end(),
                                 [&](const RunRecord& r) { return r.test == run.test; });
        if (same == verdict->m_latest.end())
            verdict->m_latest.push_back(run);
        else
            *same = run;
    }
    return verdicts;
}

DisplayVerdict::Outcome DisplayVerdict::outcome() const
{
    if (count(1) > 0)
        return Failed;
    return count(0) == total() ? Passed : Incomplete;
}

int DisplayVerdict::count(uint32_t result) const
{
    return static_cast<int>(
        std::count_if(m_latest.begin(), m_latest.end(),
                      [result](const RunRecord& r) { return r.result == result; }));
}

const char* DisplayVerdict::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Passed:
        return "PASSED";
    case Failed:
        return "FAILED";
    case Incomplete:
        break;
    }
    return "INCOMPLETE";
}

std::string DisplayVerdict::summary() const
{
    std::string counts;
    int named = 0;
    for (const auto& [result, name] : CountNames) {
        const int n = count(result);
        named += n;
        if (n > 0)
            counts += (counts.empty() ? "" : ", ") + std::to_string(n) + " " + name;
    }
    // Codes a module should never return still count, as other.
    if (named < total())
        counts += (counts.empty() ? "" : ", ") + std::to_string(total() - named) + " other";
    return std::string(outcomeName(outcome())) + " (" + counts + ")";
}

std::string DisplayVerdict::line() const
{
    return m_label + ": " + summary();
}
