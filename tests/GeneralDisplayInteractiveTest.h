#pragma once

#include "module/Test.h"

#include <cstdint>
#include <string>

class RunContext;

// The interactive test: after the user confirms the start, the window on the
// display under test shows a digit to pick among answer buttons, and the
// window's result is the verdict. It follows the attended flow without the
// check question and without the progress report at 50.
class GeneralDisplayInteractiveTest : public Test
{
public:
    explicit GeneralDisplayInteractiveTest(const ItemId& id);
    ~GeneralDisplayInteractiveTest() override;

    bool supportsComponent(SystemComponent* component) override; // slot 1
    uint32_t run(RunContext* context) override;                  // slot 2
    bool isAttended() override;                                  // slot 3
    bool configure(SettingsMap settings, void* extra) override;  // slot 10

    virtual bool needsUserPresence();                      // slot 12
    virtual uint32_t showDescription(RunContext* context); // slot 13
    virtual bool isCompromisingEvent(uint32_t code);       // slot 14
    virtual bool hasCompleteContext(RunContext* context);  // slot 15

    const std::string& nameKey() const { return m_nameKey; }
    const std::string& descriptionKey() const { return m_descriptionKey; }
    const std::string& reason() const { return m_reason; }
    int32_t displayTimeout() const { return m_displayTimeout; }

private:
    uint32_t showInteractiveWindow(RunContext* context, uint32_t answer);
    bool checkPreconditions(RunContext* context);
    bool shouldStop(RunContext* context);

    std::string m_nameKey;
    std::string m_descriptionKey;
    std::string m_reason;
    int32_t m_displayTimeout;
};
