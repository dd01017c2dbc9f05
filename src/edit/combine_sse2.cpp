// SPDX-License-Identifier: MIT
// SSE2 twins of the compositing rows: a packed compare against the key selects the
// base or the overlay bytes. Rows shorter than one step go through the plain rule; a
// last partial step is redone as a full step ending at the row's end, which gives the
// pixels it covers twice the same value (also when out is base).
#include "edit/combine_simd.h"
#include "edit/simd_memory.h"

#include <emmintrin.h>

namespace velmoro {
namespace {

using simd::Load128;
using simd::Store128;

// Bytes of base where keyed is set, of overlay elsewhere.
inline __m128i Select(__m128i keyed, __m128i base, __m128i overlay)
{
    return _mm_or_si128(_mm_and_si128(keyed, base), _mm_andnot_si128(keyed, overlay));
}

inline void KeyedStep8(BYTE* out, const BYTE* base, const BYTE* overlay, __m128i keys)
{
    const __m128i o = Load128(overlay);
    Store128(out, Select(_mm_cmpeq_epi8(o, keys), Load128(base), o));
}

inline void KeyedStep16(BYTE* out, const BYTE* base, const BYTE* overlay, __m128i keys)
{
    const __m128i o = Load128(overlay);
    Store128(out, Select(_mm_cmpeq_epi16(o, keys), Load128(base), o));
}

// Eight bytes of the key repeated with period 3, starting at byte phase of the pixel.
inline uint64_t RepeatKey24(uint32_t key, int phase)
{
    const uint64_t pixel = ((key | uint64_t{key} << 24) >> (8 * phase)) & 0xFFFFFF;
    return pixel | pixel << 24 | pixel << 48;
}

// Sixteen such bytes, built in registers: every row sets them up, and rows of
// short sprites are many. Byte 8 is byte (phase + 2) % 3 of its pixel.
inline __m128i KeyPattern24(uint32_t key, int phase)
{
    return _mm_set_epi64x(static_cast<long long>(RepeatKey24(key, (phase + 2) % 3)),
                          static_cast<long long>(RepeatKey24(key, phase)));
}

struct Key24Vectors {
    explicit Key24Vectors(uint32_t key)
        : phase0(KeyPattern24(key, 0)), phase1(KeyPattern24(key, 1)), phase2(KeyPattern24(key, 2)),
          pixelStarts(_mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0)),
          lastByte(_mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1))
    {
    }
    __m128i phase0, phase1, phase2, pixelStarts, lastByte;
};

// Five pixels (15 bytes) per step, reading 18 overlay bytes: the compares at byte
// offsets 0, 1 and 2 meet at each pixel's first byte, and two byte shifts spread the
// result over the pixel. Byte 15 (the next pixel's first) takes its base value, so
// the step must not reach the row's last pixel.
inline __m128i KeyedStep24(__m128i base, const BYTE* overlay, const Key24Vectors& k)
{
    const __m128i o = Load128(overlay);
    const __m128i equal = _mm_and_si128(
        _mm_cmpeq_epi8(o, k.phase0),
        _mm_and_si128(_mm_cmpeq_epi8(Load128(overlay + 1), k.phase1), _mm_cmpeq_epi8(Load128(overlay + 2), k.phase2)));
    const __m128i starts = _mm_and_si128(equal, k.pixelStarts);
    const __m128i keyed = _mm_or_si128(_mm_or_si128(starts, _mm_slli_si128(starts, 1)),
                                       _mm_or_si128(_mm_slli_si128(starts, 2), k.lastByte));
    return Select(keyed, base, o);
}

}  // namespace

void CombineKeyedRow8Sse2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key)
{
    constexpr size_t kStep = 16;
    if (count < kStep) {
        CombineKeyedRowPlain<1>(out, base, overlay, count, key);
        return;
    }
    const __m128i keys = _mm_set1_epi8(static_cast<char>(key));
    size_t i = 0;
    for (; i + kStep <= count; i += kStep)
        KeyedStep8(out + i, base + i, overlay + i, keys);
    if (i < count)
        KeyedStep8(out + count - kStep, base + count - kStep, overlay + count - kStep, keys);
}

void CombineKeyedRow16Sse2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key)
{
    constexpr size_t kStep = 8;
    if (count < kStep) {
        CombineKeyedRowPlain<2>(out, base, overlay, count, key);
        return;
    }
    const __m128i keys = _mm_set1_epi16(static_cast<short>(key));
    size_t i = 0;
    for (; i + kStep <= count; i += kStep)
        KeyedStep16(out + 2 * i, base + 2 * i, overlay + 2 * i, keys);
    if (i < count) {
        const size_t last = 2 * (count - kStep);
        KeyedStep16(out + last, base + last, overlay + last, keys);
    }
}

void CombineKeyedRow24Sse2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key)
{
    constexpr size_t kStep = 5;
    // A step reads one pixel past its five, so the row's last pixel is always plain.
    if (count <= kStep) {
        CombineKeyedRowPlain<3>(out, base, overlay, count, key);
        return;
    }
    const Key24Vectors k(key);
    // When out is base, each step's base bytes are loaded before the previous step's
    // store, whose last byte they share: a load after it would wait for the store.
    __m128i nextBase = Load128(base);
    size_t i = 0;
    for (; i + kStep < count; i += kStep) {
        const __m128i result = KeyedStep24(nextBase, overlay + 3 * i, k);
        if (i + 2 * kStep < count)
            nextBase = Load128(base + 3 * (i + kStep));
        Store128(out + 3 * i, result);
    }
    if (i + 1 < count) {
        const size_t last = 3 * (count - 1 - kStep);
        Store128(out + last, KeyedStep24(Load128(base + last), overlay + last, k));
    }
    const size_t end = 3 * (count - 1);
    CombineKeyedRowPlain<3>(out + end, base + end, overlay + end, 1, key);
}

}  // namespace velmoro
