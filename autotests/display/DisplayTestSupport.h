#pragma once

#include "display/platform/sim/SimulatedBackend.h"
#include "display/platform/sim/SimulatedDesk.h"
#include "module/Property.h"

#include <QJsonObject>

#include <cstdint>
#include <string>
#include <vector>

class DisplayInterfaceComponentManagerWindows;

// Bytes of a hex text (white space ignored).
std::vector<uint8_t> fromHex(const std::string& hex);

// A text as its bytes: one character per code point, as the EDID samples
// write byte values.
std::string latin1(const QString& text);

// One real EDID with what decoding it must give.
struct EdidSample
{
    std::string source;
    std::vector<uint8_t> base;
    std::vector<uint8_t> full;
    QJsonObject expected;
};

// All records of the file named by EDID_SAMPLES.
std::vector<EdidSample> loadEdidSamples();

// A valid 1.3 digital base block: "ABC" product 0x1234, 1920x1080 first
// timing, 52cm x 29cm, product name "TEST PANEL" in the second descriptor.
// Call fixChecksum() after changing bytes.
struct EdidBlock
{
    EdidBlock();
    EdidBlock& set(int offset, uint8_t value);
    EdidBlock& name(int descriptor, const std::string& text);
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

std::vector<std::string> propertyKeys(const std::vector<Property>& properties);
