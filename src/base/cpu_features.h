// SPDX-License-Identifier: MIT
// The processor's instruction sets, probed once. Every family of row functions
// keeps one table per instruction set and runs the widest this probe reports.
#ifndef VELMORO_SRC_BASE_CPU_FEATURES_H
#define VELMORO_SRC_BASE_CPU_FEATURES_H

// 1 where the x86 vector rows are compiled (SSE2 is the x86-64 baseline), else 0.
#if defined(__x86_64__) || defined(__i386__)
#define VELMORO_X86 1
#else
#define VELMORO_X86 0
#endif

namespace velmoro {

// Narrowest first: each implies the ones before it.
enum class InstructionSet { kPlain, kSse2, kSsse3, kAvx2, kCount };

// The widest instruction set this processor runs. Test builds may narrow it.
InstructionSet WidestInstructionSet();

// Whether the processor has MMX, the feature the public SIMD flag is named after.
bool CpuHasMmx();

}  // namespace velmoro

#endif
