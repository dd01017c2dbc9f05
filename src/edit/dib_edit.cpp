// SPDX-License-Identifier: MIT
// The editing class frame: the processor check and the class-wide SIMD flag.
#include <velmoro/dib_edit.h>

#include "base/cpu_features.h"

#if VELMORO_X86
#include <cpuid.h>
#endif

int CDibEdit::m_bMMXEnabled = 0;

// On x86-64 CPUID always exists and MMX instructions cannot fault, so the
// guarded steps of the original check reduce to reading the feature bit. On
// 64-bit ARM, NEON plays MMX's part and is always there.
int CDibEdit::CheckMMXTechnology()
{
#if VELMORO_X86
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return 0;
    return (edx & 0x00800000u) ? 1 : 0;
#elif VELMORO_NEON
    return 1;
#else
    return 0;
#endif
}

int CDibEdit::TryEnableMMXSupport()
{
    const int enabled = CheckMMXTechnology();
    SetMMXEnabled(enabled);
    return enabled;
}
