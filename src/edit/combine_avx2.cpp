// SPDX-License-Identifier: MIT
// AVX2 twins of the compositing rows: the 8- and 16-bit rows are the SSE2 rows
// doubled in width, the 24-bit row compares whole pixels. Rows shorter than one step
// go to the SSE2 rows; a last partial step is redone as a full step ending at the
// row's end (it gives the pixels it covers twice the same value, also when out is
// base).
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
// pixels' three bytes, which then select base or overlay bytes.
namespace key24 {

constexpr size_t kStep = 32;

// The widening shuffles take four pixels from each lane. The lanes are loaded from
// the step's bytes 0|12, 24|36, 48|60 and 72|80; the last lane finds its pixels at
// its byte 4, so that no load reaches past the step.
constexpr int kLaneLoads[8] = {0, 12, 24, 36, 48, 60, 72, 80};

// After the two packs, the byte of pixel p lies in 64-bit block (p/4 % 2) * 2 + p/16,
// in half p/8 % 2 of it, at p % 4 within the half.
constexpr int PackedBlock(int pixel)
{
    return (pixel / 4 % 2) * 2 + pixel / 16;
}
constexpr int PackedOffset(int pixel)
{
    return (pixel / 8 % 2) * 4 + pixel % 4;
}

// The 64-bit blocks of the packed results that each output vector's lanes receive
// (lane 0 blocks [0] and [1], lane 1 blocks [2] and [3]), so that every lane holds
// the bytes of all the pixels its sixteen output bytes belong to.
constexpr int kSpreadBlocks[3][4] = {{0, 2, 0, 2}, {0, 2, 1, 3}, {1, 3, 1, 3}};
constexpr int SpreadOrder(int v)
{
    return kSpreadBlocks[v][0] | kSpreadBlocks[v][1] << 2 | kSpreadBlocks[v][2] << 4 | kSpreadBlocks[v][3] << 6;
}

struct Tables {
    alignas(32) signed char widen[2][32];   // [0] for the first three lane pairs, [1] for the last
    alignas(32) signed char spread[3][32];  // per output vector
};

constexpr Tables MakeTables()
{
    Tables t{};
    for (int v = 0; v < 2; ++v)
        for (int lane = 0; lane < 2; ++lane)
            for (int slot = 0; slot < 16; ++slot) {
                const int firstByte = v == 1 && lane == 1 ? 4 : 0;
                t.widen[v][lane * 16 + slot] =
                    static_cast<signed char>(slot % 4 == 3 ? -1 : firstByte + slot / 4 * 3 + slot % 4);
            }
    for (int v = 0; v < 3; ++v)
        for (int b = 0; b < 32; ++b) {
            const int pixel = (32 * v + b) / 3;
            const int half = kSpreadBlocks[v][2 * (b / 16)] == PackedBlock(pixel) ? 0 : 1;
            t.spread[v][b] = static_cast<signed char>(half * 8 + PackedOffset(pixel));
        }
    return t;
}

constexpr Tables kTables = MakeTables();

constexpr bool EveryLaneHoldsItsPixels()
{
    for (int v = 0; v < 3; ++v)
        for (int b = 0; b < 32; ++b) {
            const int block = PackedBlock((32 * v + b) / 3), lane = b / 16;
            if (kSpreadBlocks[v][2 * lane] != block && kSpreadBlocks[v][2 * lane + 1] != block)
                return false;
        }
    return true;
}
static_assert(EveryLaneHoldsItsPixels(), "a spread lane lacks a pixel it writes");

VELMORO_AVX2 inline __m256i LoadTable(const signed char* table)
{
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(table));
}

VELMORO_AVX2 inline __m256i LoadLanes(const BYTE* step, int pair)
{
    const __m128i low = simd::Load128(step + kLaneLoads[2 * pair]);
    const __m128i high = simd::Load128(step + kLaneLoads[2 * pair + 1]);
    return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

struct Constants {
    __m256i key, widen, widenLast, spread0, spread1, spread2;
};

VELMORO_AVX2 inline Constants MakeConstants(uint32_t key)
{
    return Constants{_mm256_set1_epi32(static_cast<int>(key)), LoadTable(kTables.widen[0]), LoadTable(kTables.widen[1]),
                     LoadTable(kTables.spread[0]), LoadTable(kTables.spread[1]), LoadTable(kTables.spread[2])};
}

// All ones in the 32-bit slots of the four key pixels of each lane.
VELMORO_AVX2 inline __m256i KeyedPixels(const BYTE* overlay, int pair, __m256i widen, __m256i key)
{
    return _mm256_cmpeq_epi32(_mm256_shuffle_epi8(LoadLanes(overlay, pair), widen), key);
}

VELMORO_AVX2 inline void Step(BYTE* out, const BYTE* base, const BYTE* overlay, const Constants& c)
{
    const __m256i keyed = _mm256_packs_epi16(
        _mm256_packs_epi32(KeyedPixels(overlay, 0, c.widen, c.key), KeyedPixels(overlay, 1, c.widen, c.key)),
        _mm256_packs_epi32(KeyedPixels(overlay, 2, c.widen, c.key), KeyedPixels(overlay, 3, c.widenLast, c.key)));
    const __m256i spread[3] = {
        _mm256_shuffle_epi8(_mm256_permute4x64_epi64(keyed, SpreadOrder(0)), c.spread0),
        _mm256_shuffle_epi8(_mm256_permute4x64_epi64(keyed, SpreadOrder(1)), c.spread1),
        _mm256_shuffle_epi8(_mm256_permute4x64_epi64(keyed, SpreadOrder(2)), c.spread2)};
    // All of the step's loads come before its stores, so out may be base.
    const __m256i bases[3] = {Load256(base), Load256(base + 32), Load256(base + 64)};
    for (int v = 0; v < 3; ++v)
        Store256(out + 32 * v, _mm256_blendv_epi8(Load256(overlay + 32 * v), bases[v], spread[v]));
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

VELMORO_AVX2 void CombineKeyedRow24Avx2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count,
                                        uint32_t key)
{
    using key24::kStep;
    if (count < kStep) {
        CombineKeyedRow24Sse2(out, base, overlay, count, key);
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
