// SPDX-License-Identifier: MIT
// The editing class frame: the processor check and the class-wide SIMD flag.
// The flag chooses between the plain members and their twins; which vector rows
// a twin runs is chosen by the row tables from the processor's instruction sets.
#include <velmoro/dib_edit.h>

#include "base/cpu_features.h"

int CDibEdit::m_bMMXEnabled = 0;

// Every x86-64 processor has MMX; elsewhere the twins run the plain rows, and the
// check says 0 so that a caller keeps the plain members.
int CDibEdit::CheckMMXTechnology()
{
    return velmoro::CpuHasMmx() ? 1 : 0;
}

int CDibEdit::TryEnableMMXSupport()
{
    const int enabled = CheckMMXTechnology();
    SetMMXEnabled(enabled);
    return enabled;
}
