#pragma once

#include <cstdint>
#include <string>

// One thing a test did to the recording host, in the order it happened.
struct HostEvent
{
    enum Kind { Progress, Message, Request };

    Kind kind = Progress;
    uint8_t percent = 0; // Progress
    std::string text;    // Progress text, Message key, Request text key
    std::string title;   // Request
    uint32_t presentation = 0;
    uint32_t answerSet = 0;
    bool carriesWindow = false;
    uint32_t answer = 0; // Request: what the host answered
};
