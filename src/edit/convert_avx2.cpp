// SPDX-License-Identifier: MIT
// AVX2 rows of the depth-conversion twins, 8 or 16 pixels per step. Every load
// and store stays inside the row's pixels; the plain row finishes the rest.
#include "edit/convert_simd.h"

#include <immintrin.h>

namespace velmoro {
namespace avx2 {
namespace {

using simd::Load128;
using simd::Load256;
using simd::Store128;
using simd::Store256;

VELMORO_AVX2 inline __m256i Words(uint16_t value)
{
    return _mm256_set1_epi16(static_cast<short>(value));
}

// In each lane, four dwords 0x00RRGGBB squeezed into the low 12 bytes, then
// both lanes joined into the low 24 bytes of the register.
VELMORO_AVX2 inline __m256i PackBgrDwords(__m256i dwords)
{
    const __m256i squeeze = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                                             0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    return _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(dwords, squeeze), _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
}

// 24 bytes of pixels from the low 24 bytes of v, without touching byte 24 onwards.
VELMORO_AVX2 inline void Store24(BYTE* dst, __m256i v)
{
    Store128(dst, _mm256_castsi256_si128(v));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 16), _mm256_extracti128_si256(v, 1));
}

template <Layout16 kLayout>
VELMORO_AVX2 inline void ExpandChannels(__m256i words, __m256i& blueGreen, __m256i& red)
{
    const __m256i blue = _mm256_and_si256(_mm256_slli_epi16(words, 3), Words(0x00F8));
    if (kLayout == Layout16::k565) {
        blueGreen = _mm256_or_si256(blue, _mm256_and_si256(_mm256_slli_epi16(words, 5), Words(0xFC00)));
        red = _mm256_and_si256(_mm256_srli_epi16(words, 8), Words(0x00F8));
    } else {
        blueGreen = _mm256_or_si256(blue, _mm256_and_si256(_mm256_slli_epi16(words, 6), Words(0xF800)));
        red = _mm256_and_si256(_mm256_srli_epi16(words, 7), Words(0x00F8));
    }
}

// Word lanes green | red << 8 and blue, packed by truncation.
template <Layout16 kLayout>
VELMORO_AVX2 inline __m256i PackPixel16(__m256i greenRed, __m256i blue)
{
    const __m256i blue5 = _mm256_srli_epi16(blue, 3);
    if (kLayout == Layout16::k565) {
        return _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(greenRed, Words(0xF800)),
                                               _mm256_and_si256(_mm256_slli_epi16(greenRed, 3), Words(0x07E0))),
                               blue5);
    }
    return _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(greenRed, 1), Words(0x7C00)),
                                           _mm256_and_si256(_mm256_slli_epi16(greenRed, 2), Words(0x03E0))),
                           blue5);
}

template <Layout16 kTarget>
VELMORO_AVX2 inline __m256i SwapLayout(__m256i words)
{
    const __m256i blue = _mm256_and_si256(words, Words(0x001F));
    if (kTarget == Layout16::k565)
        return _mm256_or_si256(blue, _mm256_and_si256(_mm256_slli_epi16(words, 1), Words(0xFFC0)));
    return _mm256_or_si256(blue, _mm256_and_si256(_mm256_srli_epi16(words, 1), Words(0x7FE0)));
}

// Four table entries inserted dword by dword (a gather is slower here).
VELMORO_AVX2 inline __m128i LookUpFourEntries(const BYTE* src, const uint32_t* entry)
{
    __m128i entries = _mm_cvtsi32_si128(static_cast<int>(entry[src[0]]));
    entries = _mm_insert_epi32(entries, static_cast<int>(entry[src[1]]), 1);
    entries = _mm_insert_epi32(entries, static_cast<int>(entry[src[2]]), 2);
    return _mm_insert_epi32(entries, static_cast<int>(entry[src[3]]), 3);
}

}  // namespace

VELMORO_AVX2 void Index8ToBgr24Row(const BYTE* src, BYTE* dst, int width, const Bgr24Table& table)
{
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i entries = _mm256_inserti128_si256(_mm256_castsi128_si256(LookUpFourEntries(src + x, table.entry)),
                                                        LookUpFourEntries(src + x + 4, table.entry), 1);
        Store24(dst + 3 * x, PackBgrDwords(entries));
    }
    velmoro::Index8ToBgr24Row(src + x, dst + 3 * x, width - x, table);
}

// Sixteen pixels: the quarters are reordered so that each unpack holds eight
// consecutive pixels, which leave as 24 + 24 bytes.
template <Layout16 kLayout>
VELMORO_AVX2 void Pixel16ToBgr24Row(const BYTE* src, BYTE* dst, int width)
{
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        __m256i blueGreen, red;
        ExpandChannels<kLayout>(_mm256_permute4x64_epi64(Load256(src + 2 * x), 0xD8), blueGreen, red);
        BYTE* out = dst + 3 * x;
        Store256(out, PackBgrDwords(_mm256_unpacklo_epi16(blueGreen, red)));  // bytes 24-31 rewritten next
        Store24(out + 24, PackBgrDwords(_mm256_unpackhi_epi16(blueGreen, red)));
    }
    velmoro::Pixel16ToBgr24Row<kLayout>(src + 2 * x, dst + 3 * x, width - x);
}

// Sixteen pixels from four 16-byte loads that end exactly at byte 48: lanes hold
// pixels 0-3 | 8-11 and 4-7 | 12-15 (the last at byte 4 of its load).
template <Layout16 kLayout>
VELMORO_AVX2 void Bgr24ToPixel16Row(const BYTE* src, BYTE* dst, int width)
{
    // Per pixel: the word green | red << 8 into the low half, blue into the high half.
    const __m256i split = _mm256_setr_epi8(1, 2, 4, 5, 7, 8, 10, 11, 0, -1, 3, -1, 6, -1, 9, -1,  //
                                           1, 2, 4, 5, 7, 8, 10, 11, 0, -1, 3, -1, 6, -1, 9, -1);
    const __m256i splitLast = _mm256_setr_epi8(1, 2, 4, 5, 7, 8, 10, 11, 0, -1, 3, -1, 6, -1, 9, -1,  //
                                               5, 6, 8, 9, 11, 12, 14, 15, 4, -1, 7, -1, 10, -1, 13, -1);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const BYTE* bgr = src + 3 * x;
        const __m256i first = _mm256_inserti128_si256(_mm256_castsi128_si256(Load128(bgr)), Load128(bgr + 24), 1);
        const __m256i second = _mm256_inserti128_si256(_mm256_castsi128_si256(Load128(bgr + 12)), Load128(bgr + 32), 1);
        const __m256i a = _mm256_shuffle_epi8(first, split);
        const __m256i b = _mm256_shuffle_epi8(second, splitLast);
        Store256(dst + 2 * x, PackPixel16<kLayout>(_mm256_unpacklo_epi64(a, b), _mm256_unpackhi_epi64(a, b)));
    }
    velmoro::Bgr24ToPixel16Row<kLayout>(src + 3 * x, dst + 2 * x, width - x);
}

template <Layout16 kTarget>
VELMORO_AVX2 void SwapPixel16LayoutWords(BYTE* words, size_t count)
{
    size_t i = 0;
    for (; i + 16 <= count; i += 16)
        Store256(words + 2 * i, SwapLayout<kTarget>(Load256(words + 2 * i)));
    velmoro::SwapPixel16LayoutWords<kTarget>(words + 2 * i, count - i);
}

template void Pixel16ToBgr24Row<Layout16::k555>(const BYTE*, BYTE*, int);
template void Pixel16ToBgr24Row<Layout16::k565>(const BYTE*, BYTE*, int);
template void Bgr24ToPixel16Row<Layout16::k555>(const BYTE*, BYTE*, int);
template void Bgr24ToPixel16Row<Layout16::k565>(const BYTE*, BYTE*, int);
template void SwapPixel16LayoutWords<Layout16::k555>(BYTE*, size_t);
template void SwapPixel16LayoutWords<Layout16::k565>(BYTE*, size_t);

}  // namespace avx2
}  // namespace velmoro
