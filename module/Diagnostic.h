#pragma once

#include "module/ItemId.h"

#include <cstdint>
#include <vector>

class Test;

// A named group of tests. It lists its tests but does not own them: they are
// deleted when the host releases the module interface.
class Diagnostic
{
public:
    Diagnostic(const ItemId& id, const std::vector<Test*>& tests) : m_id(id), m_tests(tests) {}
    virtual ~Diagnostic() = default;

    virtual ItemId diagnosticId() { return m_id; } // slot 1
    virtual uint64_t testCount();                  // slot 2
    virtual Test* testAt(uint32_t index);          // slot 3
    virtual Test* findTest(const ItemId& id);      // slot 4

private:
    ItemId m_id;
    std::vector<Test*> m_tests;
};
