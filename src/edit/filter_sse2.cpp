// SPDX-License-Identifier: MIT
// SSE2 interior of the 3 x 3 filter: 16 channel bytes per step. The nine
// neighbour bytes are paired and multiplied by 16-bit weights with pmaddwd,
// giving exact 32-bit sums; the division runs in single precision, exact for
// the sums FilterKernelFitsSimd admits, and truncates toward zero like the
// integer division it replaces.
#include "edit/filter_rows.h"
#include "edit/simd_memory.h"

#include <emmintrin.h>

namespace velmoro {
namespace {

using simd::Load128;
using simd::Store128;

constexpr size_t kStepBytes = 16;

// Two weights in each 32-bit lane, the order in which the bytes are interleaved.
__m128i WeightPair(int32_t first, int32_t second)
{
    return _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(first) & 0xFFFF) |
                                               (static_cast<uint32_t>(second) << 16)));
}

// Adds first * w0 + second * w1 for 16 bytes into four lanes of 32-bit sums.
inline void AddWeightedPair(__m128i first, __m128i second, __m128i weights, __m128i sums[4])
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_unpacklo_epi8(first, second);
    const __m128i high = _mm_unpackhi_epi8(first, second);
    sums[0] = _mm_add_epi32(sums[0], _mm_madd_epi16(_mm_unpacklo_epi8(low, zero), weights));
    sums[1] = _mm_add_epi32(sums[1], _mm_madd_epi16(_mm_unpackhi_epi8(low, zero), weights));
    sums[2] = _mm_add_epi32(sums[2], _mm_madd_epi16(_mm_unpacklo_epi8(high, zero), weights));
    sums[3] = _mm_add_epi32(sums[3], _mm_madd_epi16(_mm_unpackhi_epi8(high, zero), weights));
}

inline __m128i ScaleSums(__m128i sums, __m128 divisor, __m128i offset)
{
    const __m128i quotient = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(sums), divisor));
    return _mm_add_epi32(quotient, offset);
}

}  // namespace

void FilterInterior24Sse2(const FilterRowTaps& taps, size_t rowBytes, BYTE* out)
{
    constexpr size_t n = kFilterNeighbourBytes;
    if (rowBytes < kStepBytes + 2 * n) {
        FilterInterior24Plain(taps, rowBytes, out);
        return;
    }
    const int32_t* k = taps.weights;
    const __m128i pairWeights[5] = {WeightPair(k[0], k[1]), WeightPair(k[2], k[3]), WeightPair(k[4], k[5]),
                                    WeightPair(k[6], k[7]), WeightPair(k[8], 0)};
    const __m128 divisor = _mm_set1_ps(static_cast<float>(taps.divisor));
    const __m128i offsets = _mm_set1_epi32(VectorFilterOffset(taps.offset));
    const BYTE* below = taps.rows[0];
    const BYTE* own = taps.rows[1];
    const BYTE* above = taps.rows[2];
    // The right neighbours of the last byte of a step must lie inside the row: the
    // last step ends at the last interior byte, overlapping the one before when the
    // interior is not a whole number of steps (harmless, since out is not read).
    const size_t lastStep = rowBytes - n - kStepBytes;
    for (size_t next = n;; next += kStepBytes) {
        const size_t at = next < lastStep ? next : lastStep;
        __m128i sums[4] = {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
        AddWeightedPair(Load128(below + at - n), Load128(below + at), pairWeights[0], sums);
        AddWeightedPair(Load128(below + at + n), Load128(own + at - n), pairWeights[1], sums);
        AddWeightedPair(Load128(own + at), Load128(own + at + n), pairWeights[2], sums);
        AddWeightedPair(Load128(above + at - n), Load128(above + at), pairWeights[3], sums);
        AddWeightedPair(Load128(above + at + n), _mm_setzero_si128(), pairWeights[4], sums);
        // Signed saturation to 16 bits, then unsigned to 8, is the clamp to 0..255.
        const __m128i low = _mm_packs_epi32(ScaleSums(sums[0], divisor, offsets), ScaleSums(sums[1], divisor, offsets));
        const __m128i high = _mm_packs_epi32(ScaleSums(sums[2], divisor, offsets), ScaleSums(sums[3], divisor, offsets));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_packus_epi16(low, high));
        if (at == lastStep)
            return;
    }
}

}  // namespace velmoro
