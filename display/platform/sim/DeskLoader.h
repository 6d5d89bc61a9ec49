#pragma once

#include "display/platform/sim/SimulatedBackend.h"
#include "display/platform/sim/SimulatedDesk.h"

#include <memory>
#include <string>

// Reads a desk from its JSON description (examples/README.md documents the
// format). A malformed description gives no backend and one error that names
// the source, the entry and what is wrong; nothing is half-loaded.
class DeskLoader
{
public:
    static std::unique_ptr<SimulatedBackend> loadFile(const std::string& path, std::string* error);
    static std::unique_ptr<SimulatedBackend>
    loadText(const std::string& text, const std::string& sourceName, std::string* error);

    // The desk itself, for callers that adjust it before building a backend.
    static bool parseDesk(const std::string& text, const std::string& sourceName,
                          SimulatedDesk& desk, std::string* error);
};
