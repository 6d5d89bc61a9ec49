#pragma once

#include <cstdint>
#include <vector>

class Diagnostic;
class Resource;
class SystemComponentManager;

// The object the host reaches everything through. It only lists the graph;
// ReleaseModuleInterfaceInstance deletes what it lists.
class ModuleInterface
{
public:
    ModuleInterface(const std::vector<Diagnostic*>& diagnostics, Resource* resource,
                    SystemComponentManager* componentManager, uint64_t flags);
    virtual ~ModuleInterface() = default;

    virtual Diagnostic* diagnosticAt(uint32_t index);   // slot 1
    virtual uint64_t diagnosticCount();                 // slot 2
    virtual Resource* resource();                       // slot 3
    virtual SystemComponentManager* componentManager(); // slot 4
    virtual void* extensionAt(uint32_t index);          // slot 5
    virtual uint64_t extensionCount();                  // slot 6
    virtual uint64_t flags();                           // slot 7
    virtual bool isRestricted();                        // slot 8

private:
    std::vector<Diagnostic*> m_diagnostics;
    Resource* m_resource;
    SystemComponentManager* m_componentManager;
    uint64_t m_flags;
    std::vector<void*> m_extensions; // never filled by this module
};
