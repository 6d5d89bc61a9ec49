#include "autotests/support/FakeDisplayComponent.h"

namespace {
class FakeMode : public DisplayMode
{
public:
    FakeMode(uint32_t width, uint32_t height) : m_width(width), m_height(height) {}
    int32_t apply() override { return 0; }
    uint32_t width() override { return m_width; }
    uint32_t height() override { return m_height; }
    int32_t resolutionText(std::string& text) override
    {
        text = std::to_string(m_width) + "x" + std::to_string(m_height);
        return 0;
    }
    double magnitude() override { return double(m_width) * m_height; }
    bool equals(const DisplayMode* other) override
    {
        auto* mode = dynamic_cast<const FakeMode*>(other);
        return mode && mode->m_width == m_width && mode->m_height == m_height;
    }
    DisplayMode* clone() override { return new FakeMode(m_width, m_height); }

private:
    uint32_t m_width;
    uint32_t m_height;
};
} // namespace

FakeDisplayComponent::EdidBlock FakeDisplayComponent::makeEdid(bool digital, uint32_t nativeWidth,
                                                               uint32_t nativeHeight)
{
    EdidBlock block{};
    const uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), block.begin());
    block[8] = 0x10; // manufacturer "DEL"
    block[9] = 0xAC;
    block[18] = 1; // version 1.4
    block[19] = 4;
    block[20] = digital ? 0xA5 : 0x08;
    block[21] = 52; // 52cm x 29cm
    block[22] = 29;
    // First detailed timing: pixel clock, then the addressable sizes.
    block[54] = 0x02;
    block[55] = 0x3A;
    block[56] = uint8_t(nativeWidth & 0xFF);
    block[58] = uint8_t((nativeWidth >> 4) & 0xF0);
    block[59] = uint8_t(nativeHeight & 0xFF);
    block[61] = uint8_t((nativeHeight >> 4) & 0xF0);
    uint8_t sum = 0;
    for (int i = 0; i < Edid::BlockSize - 1; ++i)
        sum = uint8_t(sum + block[i]);
    block[Edid::BlockSize - 1] = uint8_t(0x100 - sum);
    return block;
}

FakeDisplayComponent::FakeDisplayComponent(const std::string& componentId)
    : DisplayInterfaceComponent(componentId), m_block(makeEdid(true, 1920, 1080))
{}

FakeDisplayComponent::~FakeDisplayComponent() = default;

void FakeDisplayComponent::setCurrentMode(uint32_t width, uint32_t height)
{
    m_width = width;
    m_height = height;
}

void FakeDisplayComponent::setMonitorPosition(int32_t left, int32_t top)
{
    m_left = left;
    m_top = top;
}

// Like a real component, each call replaces what the previous one handed out.
int32_t FakeDisplayComponent::currentMode(DisplayMode*& mode)
{
    ++m_currentModeCalls;
    if (!m_modeReadable)
        return 1;
    m_modeCopy = std::make_unique<FakeMode>(m_width, m_height);
    mode = m_modeCopy.get();
    return 0;
}

int32_t FakeDisplayComponent::modes(std::vector<DisplayMode*>& modes)
{
    modes.clear();
    return 1;
}

int32_t FakeDisplayComponent::readEdid(Edid*& edid)
{
    if (!m_edidReadable)
        return 1;
    m_edidCopy = std::make_unique<Edid>(m_block.data());
    edid = m_edidCopy.get();
    return 0;
}
