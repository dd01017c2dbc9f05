// SPDX-License-Identifier: MIT
// Row functions of alpha blending: the plain rules and their SSE2 and AVX2 forms.
// Every row mixes first (weight alpha) with second into out; out may be either
// source, since each vector is read before it is written.
#ifndef VELMORO_SRC_EDIT_ALPHA_BLEND_SIMD_H
#define VELMORO_SRC_EDIT_ALPHA_BLEND_SIMD_H

#include "base/pixel_layouts.h"
#include "edit/simd_memory.h"

#include <velmoro/types.h>

#include <cstddef>
#include <cstdint>

namespace velmoro {

// second + (first - second) * alpha / divisor, the quotient rounded toward zero.
template <int Divisor>
inline unsigned BlendChannelTowardZero(unsigned first, unsigned second, unsigned alpha)
{
    const int difference = static_cast<int>(first) - static_cast<int>(second);
    return static_cast<unsigned>(static_cast<int>(second) + difference * static_cast<int>(alpha) / Divisor);
}

// The whole mix rounded down: first * alpha + second * (256 - alpha), over 256.
inline BYTE BlendByteDown(BYTE first, BYTE second, unsigned alpha)
{
    return static_cast<BYTE>((first * alpha + second * (256 - alpha)) >> 8);
}

// Channels widened to 8 bits, blended, and cut back to the layout's fields.
template <int Divisor>
inline uint16_t BlendPixel16(uint16_t first, uint16_t second, unsigned alpha, bool is565)
{
    const Bgr a = ExpandPixel16(first, is565);
    const Bgr b = ExpandPixel16(second, is565);
    return PackPixel16(BlendChannelTowardZero<Divisor>(a.red, b.red, alpha),
                       BlendChannelTowardZero<Divisor>(a.green, b.green, alpha),
                       BlendChannelTowardZero<Divisor>(a.blue, b.blue, alpha), is565);
}

inline void BlendBytesTowardZeroPlain(BYTE* out, const BYTE* first, const BYTE* second, size_t count,
                                      unsigned alpha)
{
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<BYTE>(BlendChannelTowardZero<256>(first[i], second[i], alpha));
}

inline void BlendBytesDownPlain(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha)
{
    for (size_t i = 0; i < count; ++i)
        out[i] = BlendByteDown(first[i], second[i], alpha);
}

// count 16-bit pixels of the 5-6-5 layout when Is565, else of the 5-5-5 one.
template <int Divisor, bool Is565>
inline void BlendRow16Plain(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha)
{
    for (size_t i = 0; i < count; ++i)
        StoreWord(out + 2 * i, BlendPixel16<Divisor>(LoadWord(first + 2 * i), LoadWord(second + 2 * i), alpha, Is565));
}

// The one shape of every blend row; count is in bytes or in 16-bit pixels.
using BlendRowFn = void (*)(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha);

// Same bytes as the plain rules of the same name.
#if VELMORO_X86
void BlendBytesTowardZeroSse2(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha);
void BlendBytesDownSse2(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha);
template <int Divisor, bool Is565>
void BlendRow16Sse2(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha);
VELMORO_AVX2 void BlendBytesTowardZeroAvx2(BYTE* out, const BYTE* first, const BYTE* second, size_t count,
                                           unsigned alpha);
VELMORO_AVX2 void BlendBytesDownAvx2(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha);
template <int Divisor, bool Is565>
VELMORO_AVX2 void BlendRow16Avx2(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha);
#endif

}  // namespace velmoro

#endif
