#include "display/Edid.h"

#include <cstring>

namespace {
// Byte offsets into the base block.
constexpr int ManufacturerOffset = 8;
constexpr int VersionOffset = 18;
constexpr int RevisionOffset = 19;
constexpr int InputDefinitionOffset = 20;
constexpr int HorizontalSizeOffset = 21;
constexpr int VerticalSizeOffset = 22;
constexpr int FirstDescriptorOffset = 54;
constexpr int DescriptorSize = 18;
constexpr int DescriptorCount = 4;
constexpr uint8_t ProductNameTag = 0xFC;
constexpr int MaxNameLength = 13;
} // namespace

Edid::Edid(const uint8_t* data)
{
    std::memcpy(m_bytes, data, BlockSize);
}

bool Edid::isChecksumValid() const
{
    uint8_t sum = 0;
    for (uint8_t byte : m_bytes)
        sum = uint8_t(sum + byte);
    return sum == 0;
}

bool Edid::hasValidHeader() const
{
    static const uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    int matching = 0;
    for (int i = 0; i < 8; ++i)
        matching += m_bytes[i] == header[i];
    return matching == 8;
}

int32_t Edid::manufacturerId(std::string& id) const
{
    if (!isChecksumValid() || !hasValidHeader())
        return 1;
    const unsigned value =
        (unsigned(m_bytes[ManufacturerOffset]) << 8) | m_bytes[ManufacturerOffset + 1];
    id.assign(
        {char(((value >> 10) & 31) + 64), char(((value >> 5) & 31) + 64), char((value & 31) + 64)});
    return 0;
}

int32_t Edid::modelName(std::string& name) const
{
    if (!isChecksumValid() || !hasValidHeader())
        return 1;
    for (int i = 0; i < DescriptorCount; ++i) {
        const uint8_t* descriptor = m_bytes + FirstDescriptorOffset + i * DescriptorSize;
        if (descriptor[0] != 0 || descriptor[1] != 0 || descriptor[2] != 0 ||
            descriptor[3] != ProductNameTag)
            continue;
        // Only the first product name descriptor counts, even when it is empty.
        const char* text = reinterpret_cast<const char*>(descriptor + 5);
        const void* lineFeed = std::memchr(text, 0x0A, MaxNameLength);
        const size_t length =
            lineFeed ? size_t(static_cast<const char*>(lineFeed) - text) : size_t(MaxNameLength);
        if (length == 0)
            return 1;
        name.assign(text, length);
        return 0;
    }
    return 1;
}

void Edid::edidVersion(uint8_t& version, uint8_t& revision) const
{
    version = m_bytes[VersionOffset];
    revision = m_bytes[RevisionOffset];
}

int32_t Edid::inputType(std::string& type) const
{
    type = (m_bytes[InputDefinitionOffset] & 0x80) ? "d" : "a";
    return 0;
}

int32_t Edid::nativeWidth(uint32_t& width) const
{
    if (!isChecksumValid() || !hasValidHeader())
        return 1;
    // Horizontal addressable pixels of the first descriptor, taken as the
    // preferred timing without checking its pixel clock.
    width = (uint32_t(m_bytes[58] & 0xF0) << 4) + m_bytes[56];
    return 0;
}

int32_t Edid::nativeHeight(uint32_t& height) const
{
    if (!isChecksumValid() || !hasValidHeader())
        return 1;
    height = (uint32_t(m_bytes[61] & 0xF0) << 4) + m_bytes[59];
    return 0;
}

int32_t Edid::nativeResolution(std::string& text) const
{
    uint32_t width = 0;
    uint32_t height = 0;
    if (nativeWidth(width) != 0 || nativeHeight(height) != 0)
        return 1;
    text = std::to_string(width) + "x" + std::to_string(height);
    return 0;
}

int32_t Edid::screenSize(std::string& text) const
{
    if (!isChecksumValid() || !hasValidHeader())
        return 1;
    const uint8_t horizontal = m_bytes[HorizontalSizeOffset];
    const uint8_t vertical = m_bytes[VerticalSizeOffset];
    if (horizontal == 0 || vertical == 0)
        return 1;
    text = std::to_string(horizontal) + "cm x " + std::to_string(vertical) + "cm";
    return 0;
}
