// SPDX-License-Identifier: MIT
// Processor features that pick the instruction set inside a SIMD twin. The
// public flag decides between plain and SIMD; this decides SSE2 or AVX2.
#ifndef VELMORO_SRC_BASE_CPU_FEATURES_H
#define VELMORO_SRC_BASE_CPU_FEATURES_H

// The vector rows a build carries: SSE2 and AVX2 on x86, NEON on 64-bit ARM
// (where it is part of the base instruction set). Elsewhere the twins run the
// plain rows. The build lists the vector files by the same processor test.
#if defined(__x86_64__) || defined(__i386__)
#define VELMORO_X86 1
#else
#define VELMORO_X86 0
#endif
#if defined(__aarch64__)
#define VELMORO_NEON 1
#else
#define VELMORO_NEON 0
#endif

namespace velmoro {

// Checked once and cached. Tests may turn AVX2 off to exercise the SSE2 paths.
bool CpuHasAvx2();
void SetAvx2Allowed(bool allowed);

}  // namespace velmoro

#endif
