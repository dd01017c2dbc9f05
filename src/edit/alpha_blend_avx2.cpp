// SPDX-License-Identifier: MIT
// AVX2 forms of the blend rows: the SSE2 forms at twice the width (see there for the
// arithmetic), but for the rounded-down byte blend, which multiplies and adds byte
// pairs. Whatever does not fill a 32-byte vector goes to the SSE2 forms.
#include "edit/alpha_blend_simd.h"
#include "edit/simd_memory.h"

#include <immintrin.h>


namespace velmoro {
namespace {

using simd::Load256;
using simd::Store256;

VELMORO_AVX2 inline __m256i BlendTowardZero(__m256i first, __m256i second, __m256i alphaHigh)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i above = _mm256_subs_epu8(first, second);
    const __m256i magnitude = _mm256_or_si256(above, _mm256_subs_epu8(second, first));
    const __m256i low = _mm256_mulhi_epu16(_mm256_unpacklo_epi8(magnitude, zero), alphaHigh);
    const __m256i high = _mm256_mulhi_epu16(_mm256_unpackhi_epi8(magnitude, zero), alphaHigh);
    const __m256i change = _mm256_packus_epi16(low, high);
    const __m256i down = _mm256_cmpeq_epi8(above, zero);
    return _mm256_add_epi8(second, _mm256_sub_epi8(_mm256_xor_si256(change, down), down));
}

// floor((first * alpha + second * (256 - alpha)) / 256) with one multiply-add per
// byte pair: the pixels biased to signed bytes take the two weights (alpha 1 to 255,
// both fit a byte), the sum is exact in 16 bits, and adding 0x8000 undoes the bias.
VELMORO_AVX2 inline __m256i MixDownHalf(__m256i firstSecond, __m256i weights)
{
    const __m256i unbias = _mm256_set1_epi16(static_cast<short>(0x8000));
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_maddubs_epi16(weights, firstSecond), unbias), 8);
}

VELMORO_AVX2 inline __m256i BlendDown(__m256i first, __m256i second, __m256i weights)
{
    const __m256i bias = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i f = _mm256_xor_si256(first, bias);
    const __m256i s = _mm256_xor_si256(second, bias);
    return _mm256_packus_epi16(MixDownHalf(_mm256_unpacklo_epi8(f, s), weights),
                               MixDownHalf(_mm256_unpackhi_epi8(f, s), weights));
}

// The byte blends' loop over whole 32-byte vectors. One pointer walks the first
// image and the others are reached at fixed distances from it, so each turn has one
// pointer step and loads that need no index. Returns the bytes done. out may be
// first or second: each vector is read before it is written.
template <typename Blend>
VELMORO_AVX2 inline size_t BlendVectors(BYTE* out, const BYTE* first, const BYTE* second, size_t count, Blend blend)
{
    const size_t done = count & ~size_t{31};
    const uintptr_t toSecond = reinterpret_cast<uintptr_t>(second) - reinterpret_cast<uintptr_t>(first);
    const uintptr_t toOut = reinterpret_cast<uintptr_t>(out) - reinterpret_cast<uintptr_t>(first);
    for (uintptr_t at = reinterpret_cast<uintptr_t>(first), end = at + done; at != end; at += 32) {
        const __m256i mixed = blend(Load256(reinterpret_cast<const BYTE*>(at)), Load256(reinterpret_cast<const BYTE*>(at + toSecond)));
        Store256(reinterpret_cast<BYTE*>(at + toOut), mixed);
    }
    return done;
}

struct TowardZeroBlend {
    __m256i alphaHigh;
    VELMORO_AVX2 __m256i operator()(__m256i first, __m256i second) const
    {
        return BlendTowardZero(first, second, alphaHigh);
    }
};

struct DownBlend {
    __m256i weights;
    VELMORO_AVX2 __m256i operator()(__m256i first, __m256i second) const { return BlendDown(first, second, weights); }
};

template <int Divisor, int Position, int Bits>
VELMORO_AVX2 inline __m256i BlendField(__m256i first, __m256i second, __m256i alpha)
{
    constexpr int kWiden = 8 - Bits;
    const __m256i mask = _mm256_set1_epi16((1 << Bits) - 1);
    const __m256i a = _mm256_and_si256(_mm256_srli_epi16(first, Position), mask);
    const __m256i b = _mm256_and_si256(_mm256_srli_epi16(second, Position), mask);
    const __m256i difference = _mm256_sub_epi16(a, b);
    __m256i term;
    if (Divisor == 256) {
        const __m256i product = _mm256_mullo_epi16(difference, alpha);
        const __m256i bias = _mm256_and_si256(_mm256_srai_epi16(product, 15), mask);
        term = _mm256_srai_epi16(_mm256_add_epi16(product, bias), Bits);
    } else {
        const __m256i magnitude = _mm256_abs_epi16(difference);
        const __m256i product = _mm256_mullo_epi16(magnitude, _mm256_slli_epi16(alpha, kWiden));
        const __m256i quotient =
            _mm256_srli_epi16(_mm256_mulhi_epu16(product, _mm256_set1_epi16(static_cast<short>(0x8081))), 7);
        term = _mm256_sign_epi16(quotient, difference);
    }
    return _mm256_slli_epi16(_mm256_add_epi16(b, _mm256_srai_epi16(term, kWiden)), Position);
}

template <int Divisor, bool Is565>
VELMORO_AVX2 inline __m256i BlendPixels16(__m256i first, __m256i second, __m256i alpha)
{
    constexpr int kGreenBits = Is565 ? 6 : 5;
    constexpr int kRedPosition = Is565 ? 11 : 10;
    return _mm256_or_si256(_mm256_or_si256(BlendField<Divisor, kRedPosition, 5>(first, second, alpha),
                                           BlendField<Divisor, 5, kGreenBits>(first, second, alpha)),
                           BlendField<Divisor, 0, 5>(first, second, alpha));
}

}  // namespace

template <int Divisor, bool Is565>
VELMORO_AVX2 void BlendRow16Avx2(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha)
{
    constexpr size_t kStep = 16;
    const __m256i alphaLanes = _mm256_set1_epi16(static_cast<short>(alpha));
    size_t i = 0;
    for (; i + kStep <= count; i += kStep)
        Store256(out + 2 * i, BlendPixels16<Divisor, Is565>(Load256(first + 2 * i), Load256(second + 2 * i), alphaLanes));
    BlendRow16Sse2<Divisor, Is565>(out + 2 * i, first + 2 * i, second + 2 * i, count - i, alpha);
}

template void BlendRow16Avx2<256, false>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);
template void BlendRow16Avx2<256, true>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);
template void BlendRow16Avx2<255, false>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);
template void BlendRow16Avx2<255, true>(BYTE*, const BYTE*, const BYTE*, size_t, unsigned);

VELMORO_AVX2 void BlendBytesTowardZeroAvx2(BYTE* out, const BYTE* first, const BYTE* second, size_t count,
                                           unsigned alpha)
{
    const __m256i alphaHigh = _mm256_set1_epi16(static_cast<short>(alpha << 8));
    const size_t done = BlendVectors(out, first, second, count, TowardZeroBlend{alphaHigh});
    BlendBytesTowardZeroSse2(out + done, first + done, second + done, count - done, alpha);
}

VELMORO_AVX2 void BlendBytesDownAvx2(BYTE* out, const BYTE* first, const BYTE* second, size_t count, unsigned alpha)
{
    // Weight 0 leaves second a weight of 256, which no byte holds.
    if (alpha == 0) {
        BlendBytesDownSse2(out, first, second, count, alpha);
        return;
    }
    const __m256i weights = _mm256_set1_epi16(static_cast<short>(alpha | (256 - alpha) << 8));
    const size_t done = BlendVectors(out, first, second, count, DownBlend{weights});
    BlendBytesDownSse2(out + done, first + done, second + done, count - done, alpha);
}

}  // namespace velmoro
