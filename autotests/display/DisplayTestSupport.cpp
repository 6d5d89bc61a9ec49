#include "autotests/display/DisplayTestSupport.h"

#include "display/platform/DisplayPlatform.h"

#include <algorithm>
#include <memory>

EdidBlock::EdidBlock() : bytes(128, 0)
{
    std::fill(bytes.begin() + 1, bytes.begin() + 7, 0xFF); // the header
    set(8, 0x04).set(9, 0x43).set(10, 0x34).set(11, 0x12); // ABC, product 0x1234
    set(18, 1).set(19, 3).set(20, 0x80).set(21, 52).set(22, 29);
    // First descriptor: a 1920x1080 timing.
    set(54, 0x02).set(55, 0x3A).set(56, 0x80).set(57, 0x18).set(58, 0x71);
    set(59, 0x38).set(60, 0x2D).set(61, 0x40);
    // Second descriptor: the product name.
    const char name[] = "\0\0\0\xFC\0TEST PANEL\n  ";
    std::copy(name, name + 18, bytes.begin() + 72);
    fixChecksum();
}

EdidBlock& EdidBlock::set(int offset, uint8_t value)
{
    bytes[size_t(offset)] = value;
    return *this;
}

EdidBlock& EdidBlock::fixChecksum()
{
    uint8_t sum = 0;
    for (size_t i = 0; i < 127; ++i)
        sum = uint8_t(sum + bytes[i]);
    bytes[127] = uint8_t(256 - sum);
    return *this;
}

InstalledDesk::InstalledDesk(const SimulatedDesk& desk) : m_backend(new SimulatedBackend(desk))
{
    DisplayPlatform::install(std::unique_ptr<DisplayBackend>(m_backend));
}

InstalledDesk::~InstalledDesk()
{
    DisplayPlatform::reset();
}
