#pragma once

#include "module/FeedbackChannel.h"
#include "module/MessageSink.h"
#include "module/RunContext.h"
#include "module/Test.h"
#include "module/TestResult.h"

#include <string>
#include <utility>

// Wraps one concrete test and reports the device hint (the components that may
// be at fault) whenever the wrapped test fails.
template <typename T> class TestWithDeviceHint : public Test
{
public:
    TestWithDeviceHint(const std::string& deviceHint, const ItemId& id)
        : Test(ItemId(0, 0, 0)), m_test(id), m_deviceHint(deviceHint)
    {
        setId(m_test.id());
    }

    bool supportsComponent(SystemComponent* component) override
    {
        return m_test.supportsComponent(component);
    }

    uint32_t run(RunContext* context) override
    {
        const uint32_t result = m_test.run(context);
        if (result != Failed)
            return result;
        context->messageSink()->report(m_deviceHint, nullptr, 0);
        context->feedbackChannel()->progress(100, m_deviceHint);
        return Failed;
    }

    bool isAttended() override { return m_test.isAttended(); }
    bool isExclusive() override { return m_test.isExclusive(); }
    std::vector<ItemId> dependencies() override { return m_test.dependencies(); }
    void setExecutionRecord(ExecutionRecord record) override
    {
        ExecutionRecord copy(record);
        m_test.setExecutionRecord(std::move(copy));
    }
    std::vector<ItemId> conflicts() override { return m_test.conflicts(); }
    bool isEnabled() override { return m_test.isEnabled(); }
    bool isVisible() override { return m_test.isVisible(); }
    bool configure(SettingsMap settings, void* extra) override
    {
        SettingsMap copy(settings);
        settings.clear();
        return m_test.configure(std::move(copy), extra);
    }
    void reset() override { m_test.reset(); }

    T& test() { return m_test; }
    const std::string& deviceHint() const { return m_deviceHint; }

private:
    T m_test;
    std::string m_deviceHint;
};
