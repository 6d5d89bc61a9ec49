#include "module/ModuleInterface.h"

ModuleInterface::ModuleInterface(const std::vector<Diagnostic*>& diagnostics, Resource* resource,
                                 SystemComponentManager* componentManager, uint64_t flags)
    : m_diagnostics(diagnostics), m_resource(resource), m_componentManager(componentManager),
      m_flags(flags)
{}

Diagnostic* ModuleInterface::diagnosticAt(uint32_t index)
{
    return index < m_diagnostics.size() ? m_diagnostics[index] : nullptr;
}

uint64_t ModuleInterface::diagnosticCount()
{
    return m_diagnostics.size();
}

Resource* ModuleInterface::resource()
{
    return m_resource;
}

SystemComponentManager* ModuleInterface::componentManager()
{
    return m_componentManager;
}

void* ModuleInterface::extensionAt(uint32_t index)
{
    return index < m_extensions.size() ? m_extensions[index] : nullptr;
}

uint64_t ModuleInterface::extensionCount()
{
    return m_extensions.size();
}

uint64_t ModuleInterface::flags()
{
    return m_flags;
}

bool ModuleInterface::isRestricted()
{
    return false;
}
