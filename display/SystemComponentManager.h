#pragma once

#include "module/ItemId.h"

#include <cstdint>
#include <vector>

class SystemComponent;

// Holds the components the host lists. The base releases only the list;
// derived managers own and delete the components.
class SystemComponentManager
{
public:
    explicit SystemComponentManager(const ItemId& id) : m_managerId(id) {}
    virtual ~SystemComponentManager() = default;

    virtual ItemId managerId() { return m_managerId; }                // slot 1
    virtual uint64_t componentCount() { return m_components.size(); } // slot 2
    virtual SystemComponent* componentAt(uint32_t index)              // slot 3
    {
        return index < m_components.size() ? m_components[index] : nullptr;
    }
    virtual bool hasDisplays() = 0;                         // slot 4
    virtual SystemComponent* displayAt(uint32_t index) = 0; // slot 5
    virtual void refresh() = 0;                             // slot 6

protected:
    std::vector<SystemComponent*> m_components;
    ItemId m_managerId;
};
