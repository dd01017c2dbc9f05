// SPDX-License-Identifier: MIT
// AVX2 twins of the compositing rows, the SSE2 rows doubled in width. Rows shorter
// than one step go to the SSE2 rows; a last partial step is redone as a full step
// ending at the row's end (it gives the pixels it covers twice the same value).
#include "edit/combine_simd.h"
#include "edit/simd_memory.h"

#include <immintrin.h>


namespace velmoro {
namespace {

using simd::Load256;
using simd::Store256;

// Two 16-byte loads 15 bytes apart: five 24-bit pixels in each lane.
VELMORO_AVX2 inline __m256i LoadPixelLanes24(const BYTE* p)
{
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 15));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

VELMORO_AVX2 inline void KeyedStep8(BYTE* out, const BYTE* base, const BYTE* overlay, __m256i keys)
{
    const __m256i o = Load256(overlay);
    const __m256i keyed = _mm256_cmpeq_epi8(o, keys);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_blendv_epi8(o, Load256(base), keyed));
}

VELMORO_AVX2 inline void KeyedStep16(BYTE* out, const BYTE* base, const BYTE* overlay, __m256i keys)
{
    const __m256i o = Load256(overlay);
    const __m256i keyed = _mm256_cmpeq_epi16(o, keys);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_blendv_epi8(o, Load256(base), keyed));
}

struct Key24Vectors {
    __m256i phase0, phase1, phase2, pixelStarts, lastByte;
};

VELMORO_AVX2 inline __m256i KeyPattern24(uint32_t key, int phase)
{
    alignas(32) BYTE bytes[32];
    for (int i = 0; i < 32; ++i)
        bytes[i] = static_cast<BYTE>(key >> (8 * ((i % 16 + phase) % 3)));
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(bytes));
}

VELMORO_AVX2 inline Key24Vectors MakeKey24Vectors(uint32_t key)
{
    const __m128i starts = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
    const __m128i last = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1);
    return Key24Vectors{KeyPattern24(key, 0), KeyPattern24(key, 1), KeyPattern24(key, 2),
                        _mm256_broadcastsi128_si256(starts), _mm256_broadcastsi128_si256(last)};
}

// Ten pixels per step, five in each lane, as the SSE2 step: compares at byte offsets
// 0, 1 and 2 meet at each pixel's first byte and in-lane shifts spread the result.
// Each lane's byte 15 takes its base value; the step must not reach the row's last
// pixel.
VELMORO_AVX2 inline __m256i KeyedStep24(__m256i base, const BYTE* overlay, const Key24Vectors& k)
{
    const __m256i o = LoadPixelLanes24(overlay);
    const __m256i equal = _mm256_and_si256(
        _mm256_cmpeq_epi8(o, k.phase0),
        _mm256_and_si256(_mm256_cmpeq_epi8(LoadPixelLanes24(overlay + 1), k.phase1),
                         _mm256_cmpeq_epi8(LoadPixelLanes24(overlay + 2), k.phase2)));
    const __m256i starts = _mm256_and_si256(equal, k.pixelStarts);
    const __m256i keyed = _mm256_or_si256(_mm256_or_si256(starts, _mm256_slli_si256(starts, 1)),
                                          _mm256_or_si256(_mm256_slli_si256(starts, 2), k.lastByte));
    return _mm256_blendv_epi8(o, base, keyed);
}

// The high lane is stored after the low one, over the low lane's byte 15.
VELMORO_AVX2 inline void StorePixelLanes24(BYTE* out, __m256i result)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(result));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 15), _mm256_extracti128_si256(result, 1));
}

}  // namespace

VELMORO_AVX2 void CombineKeyedRow8Avx2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count,
                                       uint32_t key)
{
    constexpr size_t kStep = 32;
    if (count < kStep) {
        CombineKeyedRow8Sse2(out, base, overlay, count, key);
        return;
    }
    const __m256i keys = _mm256_set1_epi8(static_cast<char>(key));
    size_t i = 0;
    for (; i + kStep <= count; i += kStep)
        KeyedStep8(out + i, base + i, overlay + i, keys);
    if (i < count)
        KeyedStep8(out + count - kStep, base + count - kStep, overlay + count - kStep, keys);
}

VELMORO_AVX2 void CombineKeyedRow16Avx2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count,
                                        uint32_t key)
{
    constexpr size_t kStep = 16;
    if (count < kStep) {
        CombineKeyedRow16Sse2(out, base, overlay, count, key);
        return;
    }
    const __m256i keys = _mm256_set1_epi16(static_cast<short>(key));
    size_t i = 0;
    for (; i + kStep <= count; i += kStep)
        KeyedStep16(out + 2 * i, base + 2 * i, overlay + 2 * i, keys);
    if (i < count) {
        const size_t last = 2 * (count - kStep);
        KeyedStep16(out + last, base + last, overlay + last, keys);
    }
}

VELMORO_AVX2 void CombineKeyedRow24Avx2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count,
                                        uint32_t key)
{
    constexpr size_t kStep = 10;
    if (count <= kStep) {
        CombineKeyedRow24Sse2(out, base, overlay, count, key);
        return;
    }
    const Key24Vectors k = MakeKey24Vectors(key);
    // Base bytes are loaded before the previous step's store (see the SSE2 row).
    __m256i nextBase = LoadPixelLanes24(base);
    size_t i = 0;
    for (; i + kStep < count; i += kStep) {
        const __m256i result = KeyedStep24(nextBase, overlay + 3 * i, k);
        if (i + 2 * kStep < count)
            nextBase = LoadPixelLanes24(base + 3 * (i + kStep));
        StorePixelLanes24(out + 3 * i, result);
    }
    if (i + 1 < count) {
        const size_t last = 3 * (count - 1 - kStep);
        StorePixelLanes24(out + last, KeyedStep24(LoadPixelLanes24(base + last), overlay + last, k));
    }
    const size_t end = 3 * (count - 1);
    CombineKeyedRowPlain<3>(out + end, base + end, overlay + end, 1, key);
}

}  // namespace velmoro
