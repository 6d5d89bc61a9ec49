#include "host/runtime/TestResultName.h"

std::string TestResultName::of(uint32_t result)
{
    switch (result) {
    case 0:
        return "Passed";
    case 1:
        return "Failed";
    case 2:
        return "Result2";
    case 3:
        return "NotPerformed";
    case 4:
        return "Aborted";
    case 5:
        return "Result5";
    case 6:
        return "NotRun";
    default:
        return "Unknown" + std::to_string(result);
    }
}
