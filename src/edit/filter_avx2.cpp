// SPDX-License-Identifier: MIT
// AVX2 interior of the 3 x 3 filter: 32 channel bytes per step, the same
// arithmetic as the SSE2 rows. The in-lane unpacks scatter the outputs over the
// four sum vectors, and the in-lane packs put them back in order.
#include "edit/filter_rows.h"
#include "edit/simd_memory.h"

#include <immintrin.h>


namespace velmoro {
namespace {

using simd::Load256;
using simd::Store256;

constexpr size_t kStepBytes = 32;

VELMORO_AVX2 __m256i WeightPair(int32_t first, int32_t second)
{
    return _mm256_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(first) & 0xFFFF) |
                                                  (static_cast<uint32_t>(second) << 16)));
}

VELMORO_AVX2 inline void AddWeightedPair(__m256i first, __m256i second, __m256i weights, __m256i sums[4])
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i low = _mm256_unpacklo_epi8(first, second);
    const __m256i high = _mm256_unpackhi_epi8(first, second);
    sums[0] = _mm256_add_epi32(sums[0], _mm256_madd_epi16(_mm256_unpacklo_epi8(low, zero), weights));
    sums[1] = _mm256_add_epi32(sums[1], _mm256_madd_epi16(_mm256_unpackhi_epi8(low, zero), weights));
    sums[2] = _mm256_add_epi32(sums[2], _mm256_madd_epi16(_mm256_unpacklo_epi8(high, zero), weights));
    sums[3] = _mm256_add_epi32(sums[3], _mm256_madd_epi16(_mm256_unpackhi_epi8(high, zero), weights));
}

VELMORO_AVX2 inline __m256i ScaleSums(__m256i sums, __m256 divisor, __m256i offset)
{
    const __m256i quotient = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(sums), divisor));
    return _mm256_add_epi32(quotient, offset);
}

}  // namespace

VELMORO_AVX2 void FilterInterior24Avx2(const FilterRowTaps& taps, size_t rowBytes, BYTE* out)
{
    constexpr size_t n = kFilterNeighbourBytes;
    if (rowBytes < kStepBytes + 2 * n) {
        FilterInterior24Sse2(taps, rowBytes, out);
        return;
    }
    const int32_t* k = taps.weights;
    const __m256i pairWeights[5] = {WeightPair(k[0], k[1]), WeightPair(k[2], k[3]), WeightPair(k[4], k[5]),
                                    WeightPair(k[6], k[7]), WeightPair(k[8], 0)};
    const __m256 divisor = _mm256_set1_ps(static_cast<float>(taps.divisor));
    const __m256i offsets = _mm256_set1_epi32(VectorFilterOffset(taps.offset));
    const BYTE* below = taps.rows[0];
    const BYTE* own = taps.rows[1];
    const BYTE* above = taps.rows[2];
    // The last step ends at the last interior byte, overlapping the one before when
    // the interior is not a whole number of steps: harmless, since out is not read.
    const size_t lastStep = rowBytes - n - kStepBytes;
    for (size_t next = n;; next += kStepBytes) {
        const size_t i = next < lastStep ? next : lastStep;
        __m256i sums[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(),
                           _mm256_setzero_si256()};
        AddWeightedPair(Load256(below + i - n), Load256(below + i), pairWeights[0], sums);
        AddWeightedPair(Load256(below + i + n), Load256(own + i - n), pairWeights[1], sums);
        AddWeightedPair(Load256(own + i), Load256(own + i + n), pairWeights[2], sums);
        AddWeightedPair(Load256(above + i - n), Load256(above + i), pairWeights[3], sums);
        AddWeightedPair(Load256(above + i + n), _mm256_setzero_si256(), pairWeights[4], sums);
        // sums[0..3] hold outputs 0-3|16-19, 4-7|20-23, 8-11|24-27, 12-15|28-31 (per lane).
        const __m256i first = _mm256_packs_epi32(ScaleSums(sums[0], divisor, offsets),
                                                 ScaleSums(sums[1], divisor, offsets));
        const __m256i second = _mm256_packs_epi32(ScaleSums(sums[2], divisor, offsets),
                                                  ScaleSums(sums[3], divisor, offsets));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(first, second));
        if (i == lastStep)
            return;
    }
}

}  // namespace velmoro
