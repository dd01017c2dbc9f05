// SPDX-License-Identifier: MIT
// AVX2 twins of the compositing rows: the 8- and 16-bit rows are the SSE2 rows
// doubled in width, the 24-bit row the SSSE3 row's whole-pixel compare doubled.
// Rows shorter than one step go to the narrower rows; a last partial step is redone
// as a full step ending at the row's end (it gives the pixels it covers twice the
// same value, also when out is base).
#include "edit/combine_simd.h"
#include "edit/simd_memory.h"

#include <immintrin.h>

namespace velmoro {
namespace {

using simd::Load256;
using simd::Store256;

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

// Thirty-two 24-bit pixels (96 bytes, three vectors) per step. Each pixel is
// widened into a 32-bit slot by a byte shuffle and compared with the key once; the
// compare results are packed to one byte per pixel and shuffled back out to the
// pixels' three bytes, which then select base or overlay bytes. The loads put the
// pixels where the packed bytes come out in order, lane by lane, so that no
// reordering across lanes is needed beyond doubling a lane.
namespace key24 {

constexpr size_t kStep = 32;

// Compare vector k widens pixels 4k to 4k+3 in its low lane and 16+4k to 19+4k in its
// high lane, loaded from their first bytes; the last high lane is loaded from byte 80
// and finds its pixels at its byte 4, so that no load reaches past the step.
constexpr int kLowLoad[4] = {0, 12, 24, 36};
constexpr int kHighLoad[4] = {48, 60, 72, 80};

// Packed (32 to 16 bits of vectors 0 and 1, and of 2 and 3, then 16 to 8 bits), the
// low lane holds pixels 0 to 15 in order and the high lane pixels 16 to 31.
constexpr int PackedByte(int pixel)
{
    return pixel % 16;
}

struct Tables {
    alignas(32) signed char widen[2][32];   // [0] for compare vectors 0 to 2, [1] for vector 3
    alignas(32) signed char spread[3][32];  // per output vector
};

constexpr Tables MakeTables()
{
    Tables t{};
    for (int v = 0; v < 2; ++v)
        for (int slot = 0; slot < 32; ++slot) {
            const int firstByte = v == 1 && slot >= 16 ? 4 : 0;
            t.widen[v][slot] = static_cast<signed char>(slot % 4 == 3 ? -1 : firstByte + slot % 16 / 4 * 3 + slot % 4);
        }
    for (int v = 0; v < 3; ++v)
        for (int b = 0; b < 32; ++b)
            t.spread[v][b] = static_cast<signed char>(PackedByte((32 * v + b) / 3));
    return t;
}

constexpr Tables kTables = MakeTables();

// Output vector 0 draws only on pixels 0 to 15 (the packed low lane, doubled), vector
// 1 on the low lane's pixels and then the high lane's, vector 2 only on pixels 16 to 31.
constexpr bool EveryLaneHoldsItsPixels()
{
    for (int b = 0; b < 96; ++b) {
        const bool lowLane = b / 16 < 3;
        if (lowLane != (b / 3 < 16))
            return false;
    }
    return true;
}
static_assert(EveryLaneHoldsItsPixels(), "an output lane draws on a pixel its packed lane lacks");

VELMORO_AVX2 inline __m256i LoadTable(const signed char* table)
{
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(table));
}

struct Constants {
    __m256i key, widen, widenLast, spread0, spread1, spread2;
};

VELMORO_AVX2 inline Constants MakeConstants(uint32_t key)
{
    return Constants{_mm256_set1_epi32(static_cast<int>(key)), LoadTable(kTables.widen[0]), LoadTable(kTables.widen[1]),
                     LoadTable(kTables.spread[0]), LoadTable(kTables.spread[1]), LoadTable(kTables.spread[2])};
}

// Compare vector k: all ones in the 32-bit slots of its key pixels.
VELMORO_AVX2 inline __m256i KeyedPixels(const BYTE* overlay, int k, __m256i widen, __m256i key)
{
    const __m256i lanes = _mm256_inserti128_si256(_mm256_castsi128_si256(simd::Load128(overlay + kLowLoad[k])),
                                                  simd::Load128(overlay + kHighLoad[k]), 1);
    return _mm256_cmpeq_epi32(_mm256_shuffle_epi8(lanes, widen), key);
}

// The overlay's 32 bytes, or the base's where keyed is set. The base bytes are loaded
// by the caller before any of the step's stores, so out may be base.
VELMORO_AVX2 inline void SelectVector(BYTE* out, __m256i base, const BYTE* overlay, __m256i keyed)
{
    Store256(out, _mm256_blendv_epi8(Load256(overlay), base, keyed));
}

VELMORO_AVX2 inline void Step(BYTE* out, const BYTE* base, const BYTE* overlay, const Constants& c)
{
    const __m256i packed = _mm256_packs_epi16(
        _mm256_packs_epi32(KeyedPixels(overlay, 0, c.widen, c.key), KeyedPixels(overlay, 1, c.widen, c.key)),
        _mm256_packs_epi32(KeyedPixels(overlay, 2, c.widen, c.key), KeyedPixels(overlay, 3, c.widenLast, c.key)));
    const __m256i base0 = Load256(base), base1 = Load256(base + 32), base2 = Load256(base + 64);
    SelectVector(out, base0, overlay, _mm256_shuffle_epi8(_mm256_permute2x128_si256(packed, packed, 0x00), c.spread0));
    SelectVector(out + 32, base1, overlay + 32, _mm256_shuffle_epi8(packed, c.spread1));
    SelectVector(out + 64, base2, overlay + 64,
                 _mm256_shuffle_epi8(_mm256_permute2x128_si256(packed, packed, 0x11), c.spread2));
}

}  // namespace key24

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

// Flattened: the step's constants stay in registers across the row.
VELMORO_AVX2 __attribute__((flatten)) void CombineKeyedRow24Avx2(BYTE* out, const BYTE* base, const BYTE* overlay,
                                                                  size_t count, uint32_t key)
{
    using key24::kStep;
    if (count < kStep) {
        CombineKeyedRow24Ssse3(out, base, overlay, count, key);
        return;
    }
    const key24::Constants c = key24::MakeConstants(key);
    size_t i = 0;
    for (; i + kStep <= count; i += kStep)
        key24::Step(out + 3 * i, base + 3 * i, overlay + 3 * i, c);
    if (i < count) {
        const size_t last = 3 * (count - kStep);
        key24::Step(out + last, base + last, overlay + last, c);
    }
}

}  // namespace velmoro
