#pragma once

#include <cstdint>

// The module's version, equal to the library's file version.
class ProductVersion
{
public:
    ProductVersion(uint32_t major, uint32_t minor, uint32_t build, uint32_t revision)
        : m_major(major), m_minor(minor), m_build(build), m_revision(revision)
    {}
    virtual ~ProductVersion() = default;

    virtual uint32_t major() const { return m_major; }       // slot 1
    virtual uint32_t minor() const { return m_minor; }       // slot 2
    virtual uint32_t build() const { return m_build; }       // slot 3
    virtual uint32_t revision() const { return m_revision; } // slot 4

private:
    uint32_t m_major;
    uint32_t m_minor;
    uint32_t m_build;
    uint32_t m_revision;
};
