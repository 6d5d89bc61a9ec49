#pragma once

#include "host/runtime/RunRecord.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What a session says about one display: the latest result of each test run
// on it (a test run again counts once, with its last result), how many of
// those ended each way, and one line for people, logs and reports:
// "dpy2 · E19-7 · VGA-1: FAILED (1 failed, 1 aborted, 7 passed)".
class DisplayVerdict
{
public:
    enum Outcome {
        Passed,     // every test passed
        Failed,     // at least one test failed
        Incomplete, // none failed, but not every test passed (aborted, not performed, not run)
    };

    // One verdict per display, in the order the displays first ran; runs in
    // the order they ran.
    static std::vector<DisplayVerdict> of(const std::vector<RunRecord>& runs);

    const std::string& device() const { return m_device; }
    // "dpy2 · E19-7 · VGA-1", from the display's latest run.
    const std::string& label() const { return m_label; }
    // The latest run of each test, in the order the tests first ran.
    const std::vector<RunRecord>& latest() const { return m_latest; }

    Outcome outcome() const;
    // How many of the latest runs ended with this result code.
    int count(uint32_t result) const;
    int total() const { return static_cast<int>(m_latest.size()); }

    // "PASSED", "FAILED" or "INCOMPLETE".
    static const char* outcomeName(Outcome outcome);
    // "FAILED (1 failed, 1 aborted, 7 passed)": counts of zero left out.
    std::string summary() const;
    // label() + ": " + summary().
    std::string line() const;

private:
    std::string m_device;
    std::string m_label;
    std::vector<RunRecord> m_latest;
};
