#pragma once

#include <cstdint>
#include <string>

// The 128-byte base block of a monitor's EDID and the few decoders the module
// needs. Decoders that can fail return 0 on success and 1 on failure, and
// leave their out argument untouched on failure.
class Edid
{
public:
    static constexpr int BlockSize = 128;

    // Copies exactly the first 128 bytes of data.
    explicit Edid(const uint8_t* data);
    virtual ~Edid() = default;

    bool isChecksumValid() const;
    bool hasValidHeader() const;
    int32_t manufacturerId(std::string& id) const;
    int32_t modelName(std::string& name) const;
    void edidVersion(uint8_t& version, uint8_t& revision) const;
    int32_t inputType(std::string& type) const; // always 0: "d" digital, "a" analog
    int32_t nativeWidth(uint32_t& width) const;
    int32_t nativeHeight(uint32_t& height) const;
    int32_t nativeResolution(std::string& text) const;
    int32_t screenSize(std::string& text) const;

    const uint8_t* bytes() const { return m_bytes; }

private:
    uint8_t m_bytes[BlockSize];
};
