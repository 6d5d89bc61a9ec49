#pragma once

#include "module/ItemId.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Everything one test run reported, in order, untranslated.
struct RunRecord
{
    struct Progress
    {
        int percent = 0;
        std::string text;
    };

    std::string device;
    // Which display that is, where known: the output's connector, the
    // monitor's model name and serial number.
    std::optional<std::string> connector;
    std::optional<std::string> modelName;
    std::optional<std::string> serialNumber;
    // When the run started and ended (ISO 8601), where the host keeps it.
    std::optional<std::string> started;
    std::optional<std::string> ended;
    std::string test;      // long command-line name
    std::string shortName; // short command-line name
    std::string nameKey;   // text key of the test's name
    ItemId itemId;
    uint32_t result = 0;
    std::vector<Progress> progress;
    std::vector<std::string> messages;
    // What the host said about the run before anyone judged it ("dpy2: the
    // compositor scales this window by 1.5; single pixels are not exact").
    std::vector<std::string> warnings;
};
