// SPDX-License-Identifier: MIT
// Processor features that pick the instruction set inside a SIMD twin. The
// public flag decides between plain and SIMD; this decides SSE2 or AVX2.
#ifndef VELMORO_SRC_BASE_CPU_FEATURES_H
#define VELMORO_SRC_BASE_CPU_FEATURES_H

namespace velmoro {

// Checked once and cached. Tests may turn AVX2 off to exercise the SSE2 paths.
bool CpuHasAvx2();
void SetAvx2Allowed(bool allowed);

}  // namespace velmoro

#endif
