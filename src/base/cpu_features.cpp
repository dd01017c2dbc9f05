// SPDX-License-Identifier: MIT
#include "base/cpu_features.h"

#include <velmoro/internal/test_switches.h>

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
#elif VELMORO_NEON
    return InstructionSet::kNeon;
#endif
    return InstructionSet::kPlain;
}

}  // namespace

bool CpuHasMmx()
{
#if VELMORO_X86
    __builtin_cpu_init();
    return __builtin_cpu_supports("mmx") != 0;
#else
    return false;
#endif
}

InstructionSet WidestInstructionSet()
{
    static const InstructionSet detected = DetectInstructionSet();
#if defined(VELMORO_TEST_SWITCHES)
    const test::Switches switches = test::CurrentSwitches();
    if (!switches.vectorRows)
        return InstructionSet::kPlain;
    InstructionSet widest = detected;
    if (widest == InstructionSet::kAvx2 && !switches.avx2)
        widest = InstructionSet::kSsse3;
    if (widest == InstructionSet::kSsse3 && !switches.ssse3)
        widest = InstructionSet::kSse2;
    return widest;
#else
    return detected;
#endif
}

}  // namespace velmoro
