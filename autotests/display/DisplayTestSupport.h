#pragma once

#include "display/platform/sim/SimulatedBackend.h"
#include "display/platform/sim/SimulatedDesk.h"

#include <cstdint>
#include <string>
#include <vector>

// A valid 1.3 digital base block: "ABC" product 0x1234, 1920x1080 first
// timing, 52cm x 29cm, product name "TEST PANEL" in the second descriptor.
// Call fixChecksum() after changing bytes.
struct EdidBlock
{
    EdidBlock();
    EdidBlock& set(int offset, uint8_t value);
    EdidBlock& fixChecksum();
    std::vector<uint8_t> bytes;
};

// Installs a backend for the desk for the lifetime of the object.
class InstalledDesk
{
public:
    explicit InstalledDesk(const SimulatedDesk& desk);
    ~InstalledDesk();
    SimulatedBackend& backend() { return *m_backend; }

private:
    SimulatedBackend* m_backend;
};
