// SPDX-License-Identifier: MIT
#include "base/cpu_features.h"

#include <velmoro/types.h>

#include <atomic>

namespace velmoro {
namespace {

bool DetectAvx2()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

std::atomic<bool> g_avx2Allowed{true};

}  // namespace

bool CpuHasAvx2()
{
    static const bool hasAvx2 = DetectAvx2();
    return hasAvx2 && g_avx2Allowed.load(std::memory_order_relaxed);
}

// Exported for the tests only, under a name that says so.
void SetAvx2Allowed(bool allowed)
{
    g_avx2Allowed.store(allowed, std::memory_order_relaxed);
}

}  // namespace velmoro

extern "C" VELMORO_API void velmoro_test_allow_avx2(int allowed)
{
    velmoro::SetAvx2Allowed(allowed != 0);
}
