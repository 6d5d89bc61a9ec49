#include "AllocationCounter.h"

#include <atomic>

#ifdef PATTERN_BENCHMARK_COUNT_ALLOCATIONS
#include <malloc.h>

#include <cerrno>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);
}

namespace {
std::atomic<std::ptrdiff_t> inUse{0};
std::atomic<std::ptrdiff_t> highest{0};

void* added(void* pointer)
{
    if (pointer) {
        const std::ptrdiff_t now = inUse += std::ptrdiff_t(malloc_usable_size(pointer));
        std::ptrdiff_t seen = highest.load();
        while (now > seen && !highest.compare_exchange_weak(seen, now)) {
        }
    }
    return pointer;
}

void removed(void* pointer)
{
    if (pointer)
        inUse -= std::ptrdiff_t(malloc_usable_size(pointer));
}
} // namespace

// Every allocation of the process goes through these, Qt's included.
extern "C" {
void* malloc(size_t size)
{
    return added(__libc_malloc(size));
}

void* calloc(size_t count, size_t size)
{
    return added(__libc_calloc(count, size));
}

void* realloc(void* pointer, size_t size)
{
    removed(pointer);
    return added(__libc_realloc(pointer, size));
}

void free(void* pointer)
{
    removed(pointer);
    __libc_free(pointer);
}

void* memalign(size_t alignment, size_t size)
{
    return added(__libc_memalign(alignment, size));
}

void* aligned_alloc(size_t alignment, size_t size)
{
    return added(__libc_memalign(alignment, size));
}

int posix_memalign(void** result, size_t alignment, size_t size)
{
    void* pointer = added(__libc_memalign(alignment, size));
    if (!pointer)
        return ENOMEM;
    *result = pointer;
    return 0;
}
}

bool AllocationCounter::available()
{
    return true;
}

void AllocationCounter::resetPeak()
{
    highest = inUse.load();
}

std::ptrdiff_t AllocationCounter::current()
{
    return inUse.load();
}

std::ptrdiff_t AllocationCounter::peak()
{
    return highest.load();
}
#else
bool AllocationCounter::available()
{
    return false;
}

void AllocationCounter::resetPeak() {}

std::ptrdiff_t AllocationCounter::current()
{
    return 0;
}

std::ptrdiff_t AllocationCounter::peak()
{
    return 0;
}
#endif
