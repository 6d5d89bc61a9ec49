#pragma once

#include "module/Test.h"
#include "tests/AttendedSteps.h"

#include <cstdint>
#include <string>

class RunContext;

// The flow shared by the attended pattern tests: check the context and the
// preconditions, have the user confirm the start, show the pattern on the
// display under test, ask whether it looked right, and turn the answer into a
// result. Between the steps it stops on a stop request, a compromising
// system event, or a component that is gone or no longer supported. Every
// way out sends exactly one progress of 100.
class AbstractAttendedDisplayTest : public Test
{
public:
    explicit AbstractAttendedDisplayTest(const ItemId& id);
    ~AbstractAttendedDisplayTest() override;

    uint32_t run(RunContext* context) override; // slot 2
    bool isAttended() override;                 // slot 3

    virtual bool needsUserPresence();                       // slot 12
    virtual uint32_t showDescription(RunContext* context);  // slot 13
    virtual uint32_t askCheckQuestion(RunContext* context); // slot 14
    virtual void showPattern(RunContext* context) = 0;      // slot 15
    virtual bool isCompromisingEvent(uint32_t code);        // slot 16
    virtual bool hasCompleteContext(RunContext* context);   // slot 17

    const std::string& nameKey() const { return m_nameKey; }
    const std::string& descriptionKey() const { return m_descriptionKey; }
    const std::string& checkKey() const { return m_checkKey; }
    int32_t displayTimeout() const { return m_displayTimeout; }
    const std::string& reason() const { return m_reason; }

protected:
    // Sets the keys and the default time-out; called by each concrete
    // constructor.
    void setKeys(const std::string& nameKey, const std::string& descriptionKey,
                 const std::string& checkKey);
    // The time-out reading of every concrete configure(): the test's own key,
    // then the general one, then the default. A bad value throws and leaves
    // the time-out as it was.
    bool configureTimeout(const SettingsMap& settings, const std::string& ownKey);

    // Whether the window gets the host's system-event word to poll.
    enum SystemEventPolling { NoSystemEventPolling, PollSystemEvents };

    // The show step: the window of class Window on the component's monitor at
    // its current mode, for displayTimeout seconds. Nothing is shown when the
    // component is not a display or its mode cannot be read.
    template <typename Window>
    void showWindow(RunContext* context, uint32_t mode, SystemEventPolling polling)
    {
        DisplayWidgetWrapper<Window> wrapper;
        if (!AttendedSteps::place(context, wrapper))
            return;
        wrapper.mode = mode;
        wrapper.systemEventWord =
            polling == PollSystemEvents ? context->systemEventWord() : nullptr;
        wrapper.timeoutSeconds = static_cast<uint32_t>(m_displayTimeout);
        AttendedSteps::send(context, wrapper);
    }

    bool checkPreconditions(RunContext* context);
    bool shouldStop(RunContext* context);

private:
    std::string m_nameKey;
    std::string m_descriptionKey;
    std::string m_checkKey;
    int32_t m_displayTimeout = 0;
    std::string m_reason;
};
