#pragma once

#include <cstdint>
#include <string>

// Record the host may hand to a test about an execution; no test of this
// module reads it.
struct ExecutionRecord
{
    std::string text1;
    std::string text2;
    std::string text3;
    std::string text4;
    std::string text5;
    uint32_t value1 = 0;
    std::string text6;
    uint32_t value2 = 0;
};
