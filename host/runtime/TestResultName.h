#pragma once

#include <cstdint>
#include <string>

// Names of the test result codes as scripts and documents show them.
namespace TestResultName {
std::string of(uint32_t result);
} // namespace TestResultName
