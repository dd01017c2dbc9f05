// SPDX-License-Identifier: MIT
// The SSSE3 twin of the 24-bit compositing row: sixteen pixels (48 bytes, three
// vectors) per step, each widened into a 32-bit slot by a byte shuffle and compared
// with the key once; the compare results are packed to one byte per pixel, in
// order, and shuffled back out over the pixels' three bytes, which select base or
// overlay bytes. Rows shorter than one step go to the SSE2 row; a last partial step
// is redone as a full step ending at the row's end (it gives the pixels it covers
// twice the same value, also when out is base).
#include "edit/combine_simd.h"
#include "edit/simd_memory.h"

#include <tmmintrin.h>

namespace velmoro {
namespace {

using simd::Load128;
using simd::Store128;

constexpr size_t kStep = 16;

// Compare vector k widens pixels 4k to 4k+3, loaded from their first byte; the last
// is loaded from byte 32 and finds its pixels at its byte 4, so that no load reaches
// past the step.
constexpr int kLoads[4] = {0, 12, 24, 32};

struct Tables {
    alignas(16) signed char widen[2][16];   // [0] for compare vectors 0 to 2, [1] for vector 3
    alignas(16) signed char spread[3][16];  // per output vector: the packed byte of each byte's pixel
};

constexpr Tables MakeTables()
{
    Tables t{};
    for (int v = 0; v < 2; ++v)
        for (int slot = 0; slot < 16; ++slot)
            t.widen[v][slot] = static_cast<signed char>(slot % 4 == 3 ? -1 : 4 * v + slot / 4 * 3 + slot % 4);
    for (int v = 0; v < 3; ++v)
        for (int b = 0; b < 16; ++b)
            t.spread[v][b] = static_cast<signed char>((16 * v + b) / 3);
    return t;
}

constexpr Tables kTables = MakeTables();

VELMORO_SSSE3 inline __m128i LoadTable(const signed char* table)
{
    return _mm_load_si128(reinterpret_cast<const __m128i*>(table));
}

struct Constants {
    __m128i key, widen, widenLast, spread0, spread1, spread2;
};

// All ones in the 32-bit slots of compare vector k's key pixels.
VELMORO_SSSE3 inline __m128i KeyedPixels(const BYTE* overlay, int k, __m128i widen, __m128i key)
{
    return _mm_cmpeq_epi32(_mm_shuffle_epi8(Load128(overlay + kLoads[k]), widen), key);
}

// The overlay's 16 bytes, or the base's where keyed is set. The base bytes are loaded
// by the caller before any of the step's stores, so out may be base.
VELMORO_SSSE3 inline void SelectVector(BYTE* out, __m128i base, const BYTE* overlay, __m128i keyed)
{
    Store128(out, _mm_or_si128(_mm_and_si128(keyed, base), _mm_andnot_si128(keyed, Load128(overlay))));
}

VELMORO_SSSE3 inline void Step(BYTE* out, const BYTE* base, const BYTE* overlay, const Constants& c)
{
    const __m128i packed =
        _mm_packs_epi16(_mm_packs_epi32(KeyedPixels(overlay, 0, c.widen, c.key), KeyedPixels(overlay, 1, c.widen, c.key)),
                        _mm_packs_epi32(KeyedPixels(overlay, 2, c.widen, c.key), KeyedPixels(overlay, 3, c.widenLast, c.key)));
    const __m128i base0 = Load128(base), base1 = Load128(base + 16), base2 = Load128(base + 32);
    SelectVector(out, base0, overlay, _mm_shuffle_epi8(packed, c.spread0));
    SelectVector(out + 16, base1, overlay + 16, _mm_shuffle_epi8(packed, c.spread1));
    SelectVector(out + 32, base2, overlay + 32, _mm_shuffle_epi8(packed, c.spread2));
}

}  // namespace

// Flattened: the step's constants stay in registers across the row.
VELMORO_SSSE3 __attribute__((flatten)) void CombineKeyedRow24Ssse3(BYTE* out, const BYTE* base, const BYTE* overlay,
                                                                   size_t count, uint32_t key)
{
    if (count < kStep) {
        CombineKeyedRow24Sse2(out, base, overlay, count, key);
        return;
    }
    const Constants c{_mm_set1_epi32(static_cast<int>(key)), LoadTable(kTables.widen[0]), LoadTable(kTables.widen[1]),
                      LoadTable(kTables.spread[0]), LoadTable(kTables.spread[1]), LoadTable(kTables.spread[2])};
    size_t i = 0;
    for (; i + kStep <= count; i += kStep)
        Step(out + 3 * i, base + 3 * i, overlay + 3 * i, c);
    if (i < count) {
        const size_t last = 3 * (count - kStep);
        Step(out + last, base + last, overlay + last, c);
    }
}

}  // namespace velmoro
