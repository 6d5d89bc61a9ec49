#pragma once

#include "module/Test.h"

#include <cstdint>
#include <string>

class DisplayInterfaceComponent;
class RunContext;
class SystemComponent;

// The unattended test: does the system offer the display's native
// resolution (from its EDID), in either orientation, among the display's
// modes? It reports one of two conclusions and changes nothing.
class ResolutionFittingTest : public Test
{
public:
    explicit ResolutionFittingTest(const ItemId& id);
    ~ResolutionFittingTest() override = default;

    bool supportsComponent(SystemComponent* component) override; // slot 1
    uint32_t run(RunContext* context) override;                  // slot 2
    bool isAttended() override { return false; }                 // slot 3

    virtual bool isUnattendedCapable() { return true; }   // slot 12
    virtual bool isCompromisingEvent(uint32_t code);      // slot 13
    virtual bool hasCompleteContext(RunContext* context); // slot 14

    const std::string& reason() const { return m_reason; }

private:
    bool shouldStop(RunContext* context);
    bool stopBetweenSteps(RunContext* context);
    uint32_t reportInternalError(RunContext* context);
    uint32_t conclude(RunContext* context, DisplayInterfaceComponent* display);

    std::string m_reason;
};
