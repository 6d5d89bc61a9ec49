#pragma once

#include "display/SystemComponent.h"

#include <cstdint>
#include <string>
#include <vector>

class DisplayMode;
class Edid;

// A display: its modes, its EDID and the property list built from them.
class DisplayInterfaceComponent : public SystemComponent
{
public:
    explicit DisplayInterfaceComponent(const std::string& componentId);
    ~DisplayInterfaceComponent() override = default;

    int32_t status(uint32_t) override { return 0; }      // slot 4
    bool isPresent(uint32_t) override { return true; }   // slot 5
    bool isEnabled(uint32_t) override { return true; }   // slot 6
    void enable(uint32_t) override {}                    // slot 7
    bool isSupported(uint32_t) override { return true; } // slot 8
    void setOption(uint32_t) override {}                 // slot 9

    virtual int32_t currentMode(DisplayMode*& mode) = 0;         // slot 11
    virtual int32_t modes(std::vector<DisplayMode*>& modes) = 0; // slot 12
    virtual int32_t readEdid(Edid*& edid) = 0;                   // slot 13
    virtual int32_t calibrationStatus(uint32_t option) = 0;      // slot 14
    virtual bool restoreDisplaySettings() = 0;                   // slot 15
    virtual void collectProperties();                            // slot 16
    virtual int32_t monitorLeft() = 0;                           // slot 17
    virtual int32_t monitorTop() = 0;                            // slot 18

protected:
    DisplayMode* m_currentMode = nullptr;
    Edid* m_edid = nullptr;
    std::vector<DisplayMode*> m_modes;
    std::string m_hardwareIdText;
};
