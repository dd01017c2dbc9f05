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
    if (detected == InstructionSet::kAvx2 && !switches.avx2)
        return InstructionSet::kSsse3;
#endif
    return detected;
}

}  // namespace velmoro
