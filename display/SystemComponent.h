#pragma once

#include "module/ComponentInfo.h"
#include "module/PropertyGroup.h"

#include <cstdint>
#include <string>
#include <vector>

// Generic component the host lists and hands to tests: an identifier text, a
// name with a property list, and slots the host may query that this module
// answers with fixed values.
class SystemComponent
{
public:
    explicit SystemComponent(const std::string& componentId) : m_componentId(componentId) {}
    virtual ~SystemComponent() = default;

    virtual std::string componentId() { return m_componentId; }              // slot 1
    virtual ComponentInfo info() { return m_info; }                          // slot 2
    virtual std::vector<PropertyGroup> propertyGroups() { return m_groups; } // slot 3
    virtual int32_t status(uint32_t option) = 0;                             // slot 4
    virtual bool isPresent(uint32_t option) = 0;                             // slot 5
    virtual bool isEnabled(uint32_t option) = 0;                             // slot 6
    virtual void enable(uint32_t option) = 0;                                // slot 7
    virtual bool isSupported(uint32_t option) = 0;                           // slot 8
    virtual void setOption(uint32_t option) = 0;                             // slot 9
    virtual void notify(uint32_t /*option*/) {}                              // slot 10

protected:
    ComponentInfo m_info;
    std::vector<PropertyGroup> m_groups; // never filled by this module
    std::string m_componentId;
};
