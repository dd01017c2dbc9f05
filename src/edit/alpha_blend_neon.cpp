// SPDX-License-Identifier: MIT
// NEON forms of the 16-bit blend rows, byte for byte equal to the plain rule: each
// field of eight pixels is blended in its own 16-bit lanes, by the arithmetic of
// the SSE2 form. The pixels of a row that do not fill a vector go through the
// plain rule (a redone vector would blend its pixels twice when out is a source).
#include "edit/alpha_blend_simd.h"

#include <arm_neon.h>

namespace velmoro {
namespace {

// One field of eight pixels, moved to the low bits.
template <int Position, int Bits>
inline int16x8_t Field(uint16x8_t pixels)
{
    const uint16x8_t mask = vdupq_n_u16((1 << Bits) - 1);
    if constexpr (Position == 0)
        return vreinterpretq_s16_u16(vandq_u16(pixels, mask));
    else
        return vreinterpretq_s16_u16(vandq_u16(vshrq_n_u16(pixels, Position), mask));
}

// The 8-bit forms are the fields shifted left by 8 - Bits, so the blend term is
// formed on the fields themselves: with divisor 256 it is diff * alpha / 2^Bits,
// which fits a signed lane; with divisor 255 the magnitude diff * 2^(8-Bits) *
// alpha fits an unsigned lane and x / 255 is (x * 0x8081) >> 23 for every 16-bit
// x. The result field is second's field plus the term shifted back, rounded down
// like the cut of the 8-bit value.
template <int Divisor, int Position, int Bits>
inline uint16x8_t BlendField(uint16x8_t first, uint16x8_t second, int16x8_t alpha)
{
    constexpr int kWiden = 8 - Bits;
    const int16x8_t a = Field<Position, Bits>(first);
    const int16x8_t b = Field<Position, Bits>(second);
    const int16x8_t difference = vsubq_s16(a, b);
    int16x8_t term;
    if constexpr (Divisor == 256) {
        const int16x8_t product = vmulq_s16(difference, alpha);
        // Adding 2^Bits - 1 to a negative product makes the shift round toward zero.
        const int16x8_t bias = vandq_s16(vshrq_n_s16(product, 15), vdupq_n_s16((1 << Bits) - 1));
        term = vshrq_n_s16(vaddq_s16(product, bias), Bits);
    } else {
        const uint16x8_t magnitude = vreinterpretq_u16_s16(vabsq_s16(difference));
        const uint16x8_t product = vmulq_u16(magnitude, vreinterpretq_u16_s16(vshlq_n_s16(alpha, kWiden)));
        const uint16x8_t divisor = vdupq_n_u16(0x8081);
        const uint32x4_t low = vmull_u16(vget_low_u16(product), vget_low_u16(divisor));
        const uint32x4_t high = vmull_high_u16(product, divisor);
        const uint16x8_t quotient =
            vshrq_n_u16(vuzp2q_u16(vreinterpretq_u16_u32(low), vreinterpretq_u16_u32(high)), 7);
        const int16x8_t positive = vreinterpretq_s16_u16(quotient);
        term = vbslq_s16(vcltzq_s16(difference), vnegq_s16(positive), positive);
    }
    return vshlq_n_u16(vreinterpretq_u16_s16(vaddq_s16(b, vshrq_n_s16(term, kWiden))), Position);
}

template <int Divisor, bool Is565>
inline uint16x8_t BlendPixels16(uint16x8_t first, uint16x8_t second, int16x8_t alpha)
{
    constexpr int kGreenBits = Is565 ? 6 : 5;
    constexpr int kRedPosition = Is565 ? 11 : 10;
    return vorrq_u16(vorrq_u16(BlendField<Divisor, kRedPosition, 5>(first, second, alpha),
                               BlendField<Divisor, 5, kGreenBits>(first, second, alpha)),
                     BlendField<Divisor, 0, 5>(first, second, alpha));
}

}  // namespace

template <int Divisor, bool Is565>
void BlendRow16Neon(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha)
{
    constexpr size_t kStep = 8;
    const int16x8_t alphaLanes = vdupq_n_s16(static_cast<int16_t>(alpha));
    size_t i = 0;
    for (; i + kStep <= count; i += kStep) {
        const uint16x8_t a = vreinterpretq_u16_u8(vld1q_u8(first + 2 * i));
        const uint16x8_t b = vreinterpretq_u16_u8(vld1q_u8(second + 2 * i));
        vst1q_u8(out + 2 * i, vreinterpretq_u8_u16(BlendPixels16<Divisor, Is565>(a, b, alphaLanes)));
    }
    BlendRow16Plain<Divisor, Is565>(out + 2 * i, first + 2 * i, second + 2 * i, count - i, alpha);
}

template void BlendRow16Neon<256, false>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);
template void BlendRow16Neon<256, true>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);
template void BlendRow16Neon<255, false>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);
template void BlendRow16Neon<255, true>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);

}  // namespace velmoro
