#pragma once

#include <cstdint>

// Answer codes a host writes into a text request. Window requests carry a
// WindowResult in the same code space instead.
enum AnswerCode : uint32_t {
    AnswerContinue = 1,
    AnswerYes = 3,
    AnswerNo = 4,
};
