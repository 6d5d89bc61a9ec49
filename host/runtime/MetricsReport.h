#pragma once

#include "host/runtime/DisplayFacts.h"
#include "host/runtime/RunRecord.h"

#include <string>
#include <vector>

// The run as metrics in the text format the node exporter's textfile
// collector reads: one info series per display found, the result code and a
// passed flag per display and test, and when the run ended.
class MetricsReport
{
public:
    // endedSeconds: when the run ended, in seconds since the epoch.
    static std::string text(const std::vector<DisplayFacts>& displays,
                            const std::vector<RunRecord>& runs, double endedSeconds);

    // A label value with backslash, double quote and line feed escaped, its
    // bytes as UTF-8 (read as Latin-1 where they are not valid UTF-8).
    static std::string labelValue(const std::string& bytes);
};
