#pragma once

#include <cstdint>

// Result code of a test's run. 2 and 5 exist in the host's code space but are
// never returned by this module.
enum TestResult : uint32_t {
    Passed = 0,
    Failed = 1,
    NotPerformed = 3,
    Aborted = 4,
    NotRun = 6,
};
