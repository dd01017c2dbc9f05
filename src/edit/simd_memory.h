// SPDX-License-Identifier: MIT
// Unaligned vector loads and stores shared by the SSE2 and AVX2 twins, and the
// attributes that compile a function for SSSE3 or AVX2 (chosen at run time, never
// assumed).
#ifndef VELMORO_SRC_EDIT_SIMD_MEMORY_H
#define VELMORO_SRC_EDIT_SIMD_MEMORY_H

#include "base/cpu_features.h"

#include <velmoro/types.h>

#if VELMORO_X86
#include <immintrin.h>

// On the declarations as well as the definitions: a template instantiation takes
// its target from the primary template.
#define VELMORO_AVX2 __attribute__((target("avx2")))
#define VELMORO_SSSE3 __attribute__((target("ssse3")))

namespace velmoro {
namespace simd {

inline __m128i Load128(const BYTE* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store128(BYTE* p, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

VELMORO_AVX2 inline __m256i Load256(const BYTE* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

VELMORO_AVX2 inline void Store256(BYTE* p, __m256i v)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

}  // namespace simd
}  // namespace velmoro

#endif  // VELMORO_X86

#endif
