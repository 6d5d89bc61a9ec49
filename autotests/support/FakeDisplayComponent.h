#pragma once

#include "display/DisplayInterfaceComponent.h"
#include "display/DisplayMode.h"
#include "display/Edid.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A display component whose EDID, current mode and monitor position a test
// sets directly, with switches to make readEdid or currentMode fail.
class FakeDisplayComponent : public DisplayInterfaceComponent
{
public:
    using EdidBlock = std::array<uint8_t, Edid::BlockSize>;

    // A valid base block: digital or analog input, and a first detailed
    // timing of the given native size.
    static EdidBlock makeEdid(bool digital, uint32_t nativeWidth, uint32_t nativeHeight);

    explicit FakeDisplayComponent(const std::string& componentId = "dpy1");
    ~FakeDisplayComponent() override;

    void setEdid(const EdidBlock& block) { m_block = block; }
    void setEdidReadable(bool readable) { m_edidReadable = readable; }
    void setCurrentMode(uint32_t width, uint32_t height);
    void setCurrentModeReadable(bool readable) { m_modeReadable = readable; }
    void setMonitorPosition(int32_t left, int32_t top);

    int32_t currentMode(DisplayMode*& mode) override;
    int32_t modes(std::vector<DisplayMode*>& modes) override;
    int32_t readEdid(Edid*& edid) override;
    int32_t calibrationStatus(uint32_t) override { return 0; }
    bool restoreDisplaySettings() override { return false; }
    void collectProperties() override {}
    int32_t monitorLeft() override { return m_left; }
    int32_t monitorTop() override { return m_top; }

    int currentModeCalls() const { return m_currentModeCalls; }

private:
    EdidBlock m_block;
    bool m_edidReadable = true;
    bool m_modeReadable = true;
    uint32_t m_width = 1920;
    uint32_t m_height = 1080;
    int32_t m_left = 0;
    int32_t m_top = 0;
    int m_currentModeCalls = 0;
    std::unique_ptr<Edid> m_edidCopy;
    std::unique_ptr<DisplayMode> m_modeCopy;
};
