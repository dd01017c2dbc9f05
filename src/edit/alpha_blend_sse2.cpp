// SPDX-License-Identifier: MIT
// SSE2 forms of the blend rows, byte for byte equal to the plain rules. Bytes are
// mixed in 16-bit lanes; the pixels of a row that do not fill a vector go through the
// plain rule (a redone vector would blend its pixels twice when out is a source).
#include "edit/alpha_blend_simd.h"
#include "edit/simd_memory.h"

#include <emmintrin.h>

namespace velmoro {
namespace {

using simd::Load128;
using simd::Store128;

// |first - second| * alpha / 256 is rounded down, which is toward zero for the signed
// difference; the change is then added, or negated (xor with -1, minus -1) and added.
inline __m128i BlendTowardZero(__m128i first, __m128i second, __m128i alphaHigh)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i above = _mm_subs_epu8(first, second);
    const __m128i magnitude = _mm_or_si128(above, _mm_subs_epu8(second, first));
    const __m128i low = _mm_mulhi_epu16(_mm_unpacklo_epi8(magnitude, zero), alphaHigh);
    const __m128i high = _mm_mulhi_epu16(_mm_unpackhi_epi8(magnitude, zero), alphaHigh);
    const __m128i change = _mm_packus_epi16(low, high);
    const __m128i down = _mm_cmpeq_epi8(above, zero);
    return _mm_add_epi8(second, _mm_sub_epi8(_mm_xor_si128(change, down), down));
}

// second + floor((first - second) * alpha / 256): with the difference shifted left by
// 7 (at most 32640) and the weight doubled, the high half of the signed product is
// exactly that floor.
inline __m128i MixDownHalf(__m128i first, __m128i second, __m128i alphaTwice)
{
    return _mm_add_epi16(second, _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(first, second), 7), alphaTwice));
}

inline __m128i BlendDown(__m128i first, __m128i second, __m128i alphaTwice)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = MixDownHalf(_mm_unpacklo_epi8(first, zero), _mm_unpacklo_epi8(second, zero), alphaTwice);
    const __m128i high = MixDownHalf(_mm_unpackhi_epi8(first, zero), _mm_unpackhi_epi8(second, zero), alphaTwice);
    return _mm_packus_epi16(low, high);
}

// One field of eight 16-bit pixels. The 8-bit forms are the fields shifted left by
// 8 - Bits, so the blend term can be formed on the fields themselves: with divisor
// 256 it is diff * alpha / 2^Bits, which fits a signed lane; with divisor 255 the
// magnitude diff * 2^(8-Bits) * alpha fits an unsigned lane and x / 255 is
// (x * 0x8081) >> 23 for every 16-bit x. The result field is second's field plus
// the term shifted back, rounded down like the cut of the 8-bit value.
template <int Divisor, int Position, int Bits>
inline __m128i BlendField(__m128i first, __m128i second, __m128i alpha)
{
    constexpr int kWiden = 8 - Bits;
    const __m128i mask = _mm_set1_epi16((1 << Bits) - 1);
    const __m128i a = _mm_and_si128(_mm_srli_epi16(first, Position), mask);
    const __m128i b = _mm_and_si128(_mm_srli_epi16(second, Position), mask);
    const __m128i difference = _mm_sub_epi16(a, b);
    __m128i term;
    if (Divisor == 256) {
        const __m128i product = _mm_mullo_epi16(difference, alpha);
        const __m128i bias = _mm_and_si128(_mm_srai_epi16(product, 15), mask);
        term = _mm_srai_epi16(_mm_add_epi16(product, bias), Bits);
    } else {
        const __m128i sign = _mm_srai_epi16(difference, 15);
        const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(difference, sign), sign);
        const __m128i product = _mm_mullo_epi16(magnitude, _mm_slli_epi16(alpha, kWiden));
        const __m128i quotient = _mm_srli_epi16(_mm_mulhi_epu16(product, _mm_set1_epi16(static_cast<short>(0x8081))), 7);
        term = _mm_sub_epi16(_mm_xor_si128(quotient, sign), sign);
    }
    return _mm_slli_epi16(_mm_add_epi16(b, _mm_srai_epi16(term, kWiden)), Position);
}

template <int Divisor, bool Is565>
inline __m128i BlendPixels16(__m128i first, __m128i second, __m128i alpha)
{
    constexpr int kGreenBits = Is565 ? 6 : 5;
    constexpr int kRedPosition = Is565 ? 11 : 10;
    return _mm_or_si128(_mm_or_si128(BlendField<Divisor, kRedPosition, 5>(first, second, alpha),
                                     BlendField<Divisor, 5, kGreenBits>(first, second, alpha)),
                        BlendField<Divisor, 0, 5>(first, second, alpha));
}

}  // namespace

template <int Divisor, bool Is565>
void BlendRow16Sse2(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha)
{
    constexpr size_t kStep = 8;
    const __m128i alphaLanes = _mm_set1_epi16(static_cast<short>(alpha));
    size_t i = 0;
    for (; i + kStep <= count; i += kStep)
        Store128(out + 2 * i, BlendPixels16<Divisor, Is565>(Load128(first + 2 * i), Load128(second + 2 * i), alphaLanes));
    BlendRow16Plain<Divisor, Is565>(out + 2 * i, first + 2 * i, second + 2 * i, count - i, alpha);
}

template void BlendRow16Sse2<256, false>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);
template void BlendRow16Sse2<256, true>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);
template void BlendRow16Sse2<255, false>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);
template void BlendRow16Sse2<255, true>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);

void BlendBytesTowardZeroSse2(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha)
{
    const __m128i alphaHigh = _mm_set1_epi16(static_cast<short>(alpha << 8));
    size_t i = 0;
    for (; i + 16 <= count; i += 16)
        Store128(out + i, BlendTowardZero(Load128(first + i), Load128(second + i), alphaHigh));
    BlendBytesTowardZeroPlain(out + i, first + i, second + i, count - i, alpha);
}

void BlendBytesDownSse2(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha)
{
    const __m128i alphaTwice = _mm_set1_epi16(static_cast<short>(2 * alpha));
    size_t i = 0;
    for (; i + 16 <= count; i += 16)
        Store128(out + i, BlendDown(Load128(first + i), Load128(second + i), alphaTwice));
    BlendBytesDownPlain(out + i, first + i, second + i, count - i, alpha);
}

}  // namespace velmoro
