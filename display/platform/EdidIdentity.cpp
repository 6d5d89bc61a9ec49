#include "display/platform/EdidIdentity.h"

#include <cstdio>

namespace {
constexpr size_t BlockSize = 128;
constexpr uint8_t SerialTag = 0xFF;
constexpr uint8_t NameTag = 0xFC;

// The text of the first display descriptor with this tag: bytes 5 to 17 up
// to a line feed, trailing spaces trimmed. Some monitors pad with NULs
// instead; the text ends there too, as other EDID readers show it.
std::string descriptorText(const uint8_t* block, uint8_t tag)
{
    for (size_t offset = 54; offset < 126; offset += 18) {
        const uint8_t* descriptor = block + offset;
        // A display descriptor starts with a zero pixel clock.
        if (descriptor[0] != 0 || descriptor[1] != 0 || descriptor[3] != tag)
            continue;
        std::string text;
        for (size_t i = 5; i < 18 && descriptor[i] != '\n' && descriptor[i] != 0; ++i)
            text += char(descriptor[i]);
        const size_t end = text.find_last_not_of(' ');
        text.erase(end == std::string::npos ? 0 : end + 1);
        return text;
    }
    return {};
}
} // namespace

EdidIdentity::EdidIdentity(const std::vector<uint8_t>& edid)
    : EdidIdentity(edid.data(), edid.size())
{}

EdidIdentity::EdidIdentity(const uint8_t* block, size_t size)
{
    static const uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    if (!block || size < BlockSize)
        return;
    uint8_t sum = 0;
    for (size_t i = 0; i < BlockSize; ++i)
        sum = uint8_t(sum + block[i]);
    for (size_t i = 0; i < 8; ++i)
        if (block[i] != header[i])
            return;
    if (sum != 0)
        return;
    m_valid = true;

    std::string serial = descriptorText(block, SerialTag);
    if (serial.empty()) {
        const uint32_t number = uint32_t(block[12]) | uint32_t(block[13]) << 8 |
                                uint32_t(block[14]) << 16 | uint32_t(block[15]) << 24;
        if (number != 0)
            serial = std::to_string(number);
    }
    if (!serial.empty())
        m_serialNumber = serial;

    // Week 0xFF marks the year as a model year rather than a date of make.
    const int year = 1990 + block[17];
    if (block[16] == 0xFF) {
        m_modelYear = year;
    } else {
        m_manufactureYear = year;
        if (block[16] != 0)
            m_manufactureWeek = block[16];
    }

    char code[5];
    std::snprintf(code, sizeof(code), "%04X", unsigned(block[10]) | unsigned(block[11]) << 8);
    m_productCode = std::string(code);

    const std::string name = descriptorText(block, NameTag);
    if (!name.empty())
        m_productName = name;
}
