// SPDX-License-Identifier: MIT
#include "base/cpu_features.h"

#include <velmoro/types.h>

#include <atomic>

namespace velmoro {
namespace {

InstructionSet DetectInstructionSet()
{
#if VELMORO_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return InstructionSet::kAvx2;
    if (__builtin_cpu_supports("ssse3"))
        return InstructionSet::kSsse3;
    if (__builtin_cpu_supports("sse2"))
        return InstructionSet::kSse2;
#endif
    return InstructionSet::kPlain;
}

std::atomic<bool> g_avx2Allowed{true};

}  // namespace

InstructionSet WidestInstructionSet()
{
    static const InstructionSet detected = DetectInstructionSet();
    if (detected == InstructionSet::kAvx2 && !g_avx2Allowed.load(std::memory_order_relaxed))
        return InstructionSet::kSsse3;
    return detected;
}

}  // namespace velmoro

extern "C" VELMORO_API void velmoro_test_allow_avx2(int allowed)
{
    velmoro::g_avx2Allowed.store(allowed != 0, std::memory_order_relaxed);
}
