#pragma once

#include "module/ExecutionRecord.h"
#include "module/ItemId.h"
#include "module/SettingsMap.h"

#include <cstdint>
#include <vector>

class RunContext;
class SystemComponent;

// Base of every test the host sees. The virtual operations keep the host's
// slot order; the ones without a meaning in this module give fixed answers.
class Test
{
public:
    explicit Test(const ItemId& id) : m_id(id) {}
    virtual ~Test() = default;

    virtual bool supportsComponent(SystemComponent* component) = 0;   // slot 1
    virtual uint32_t run(RunContext* context) = 0;                    // slot 2
    virtual bool isAttended() = 0;                                    // slot 3
    virtual bool isExclusive() { return false; }                      // slot 4
    virtual std::vector<ItemId> dependencies() { return {}; }         // slot 5
    virtual void setExecutionRecord(ExecutionRecord /*record*/) {}    // slot 6
    virtual std::vector<ItemId> conflicts() { return {}; }            // slot 7
    virtual bool isEnabled() { return true; }                         // slot 8
    virtual bool isVisible() { return true; }                         // slot 9
    virtual bool configure(SettingsMap /*settings*/, void* /*extra*/) // slot 10
    {
        return true;
    }
    virtual void reset() {} // slot 11

    const ItemId& id() const { return m_id; }

protected:
    void setId(const ItemId& id) { m_id = id; }

private:
    ItemId m_id;
    std::vector<ItemId> m_relatedIds; // never filled by this module
};
