// Building the graph when memory runs out: the allocation failure leaves the
// entry point, nothing half-built stays behind, and a later call builds again.

#include "module/Diagnostic.h"
#include "module/ModuleExports.h"
#include "module/ModuleInterface.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {
// Counts down allocations; the one that reaches zero fails.
long g_allocationsUntilFailure = -1;
} // namespace

void* operator new(std::size_t size)
{
    if (g_allocationsUntilFailure > 0 && --g_allocationsUntilFailure == 0)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

TEST(GraphAllocation, FailureAtAnyPointLeavesNoGraph)
{
    int failures = 0;
    for (long failAt = 1; failAt < 100000; ++failAt) {
        g_allocationsUntilFailure = failAt;
        ModuleInterface* module = nullptr;
        try {
            module = GetModuleInterfaceInstance();
        } catch (const std::bad_alloc&) {
            g_allocationsUntilFailure = -1;
            ++failures;
            // The pointer stayed null: the next call builds a whole graph.
            ModuleInterface* rebuilt = GetModuleInterfaceInstance();
            ASSERT_NE(rebuilt, nullptr);
            EXPECT_EQ(rebuilt->diagnosticAt(0)->testCount(), 11u);
            ReleaseModuleInterfaceInstance();
            continue;
        }
        g_allocationsUntilFailure = -1;
        ASSERT_NE(module, nullptr);
        EXPECT_EQ(module->diagnosticAt(0)->testCount(), 11u);
        ReleaseModuleInterfaceInstance();
        break; // the whole build fitted before the failing allocation
    }
    EXPECT_GT(failures, 20) << "every allocation of the build should have been made to fail once";
}
