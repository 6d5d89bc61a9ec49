#pragma once

#include <cstddef>

// Heap bytes in use as seen through malloc and free, with a resettable peak,
// for measuring how much memory one paint needs on top of what already
// exists. Available only when the benchmark counts allocations.
namespace AllocationCounter {
bool available();
// Starts a new peak at the current use.
void resetPeak();
// Bytes in use now, and the most in use since resetPeak().
std::ptrdiff_t current();
std::ptrdiff_t peak();
} // namespace AllocationCounter
