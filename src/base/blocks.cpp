// SPDX-License-Identifier: MIT
#include "base/blocks.h"

#include <cstdlib>

#if defined(VELMORO_FAULT_INJECTION)
#include <atomic>

namespace {
std::atomic<uint64_t> g_failAt{0};
std::atomic<uint64_t> g_calls{0};
}  // namespace

// Test builds only: makes the Nth allocation from now on fail (0: none fail).
extern "C" VELMORO_API void velmoro_test_fail_allocation_at(uint64_t n)
{
    g_calls.store(0);
    g_failAt.store(n);
}

extern "C" VELMORO_API uint64_t velmoro_test_allocation_count()
{
    return g_calls.load();
}

static bool InjectedFailure()
{
    const uint64_t call = g_calls.fetch_add(1) + 1;
    const uint64_t failAt = g_failAt.load();
    return failAt != 0 && call == failAt;
}
#else
static bool InjectedFailure()
{
    return false;
}
#endif

namespace velmoro {

void* AllocateBlock(uint64_t size)
{
    if (size > kMaxBlockBytes || InjectedFailure())
        return nullptr;
    return std::malloc(size == 0 ? 1 : static_cast<size_t>(size));
}

void FreeBlock(void* block)
{
    std::free(block);
}

}  // namespace velmoro
