#include "module/Diagnostic.h"

#include "module/Test.h"

uint64_t Diagnostic::testCount()
{
    return m_tests.size();
}

Test* Diagnostic::testAt(uint32_t index)
{
    return index < m_tests.size() ? m_tests[index] : nullptr;
}

Test* Diagnostic::findTest(const ItemId& id)
{
    for (Test* test : m_tests) {
        if (test->id().key == id.key)
            return test;
    }
    return nullptr;
}
