#pragma once

#include "module/ItemId.h"

#include <string>

class Test;

// One test of a diagnostic with the names the module's resource gives it.
struct TestEntry
{
    Test* test = nullptr;
    ItemId itemId;
    std::string shortName;
    std::string longName;
    std::string nameKey;
    std::string descriptionKey;
    bool attended = false;
};
