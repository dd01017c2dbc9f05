// SPDX-License-Identifier: MIT
// SSE2 rows of the depth-conversion twins (the x86-64 baseline). Each vector
// loop stops at the last step whose loads and stores stay inside the row's
// pixels; the plain row finishes the rest.
#include "edit/convert_simd.h"

#include <cstring>

#include <emmintrin.h>

namespace velmoro {
namespace sse2 {
namespace {

using simd::Load128;
using simd::Store128;

inline __m128i Words(uint16_t value)
{
    return _mm_set1_epi16(static_cast<short>(value));
}

inline void Store64(BYTE* p, __m128i v)
{
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

// Four pixels' table entries (top byte 0) packed into 12 bytes.
inline void StoreFourBgr(BYTE* dst, uint32_t p0, uint32_t p1, uint32_t p2, uint32_t p3)
{
    const uint64_t low = p0 | (uint64_t{p1} << 24) | (uint64_t{p2} << 48);
    const uint32_t high = (p2 >> 16) | (p3 << 8);
    std::memcpy(dst, &low, sizeof low);
    std::memcpy(dst + 8, &high, sizeof high);
}

// Four dwords 0x00RRGGBB squeezed into the low 12 bytes, blue first.
inline __m128i PackBgrDwords(__m128i dwords)
{
    const __m128i evenPixels = _mm_and_si128(dwords, _mm_set_epi32(0, -1, 0, -1));
    const __m128i oddPixels = _mm_srli_epi64(_mm_andnot_si128(_mm_set_epi32(0, -1, 0, -1), dwords), 8);
    const __m128i pairs = _mm_or_si128(evenPixels, oddPixels);  // 6 bytes in each qword
    const __m128i highPair = _mm_and_si128(_mm_srli_si128(pairs, 2), _mm_set_epi32(0, -1, -1, 0));
    return _mm_or_si128(_mm_move_epi64(pairs), highPair);
}

// Word lanes: blue | green << 8, and red, each channel expanded with zero low bits.
template <Layout16 kLayout>
inline void ExpandChannels(__m128i words, __m128i& blueGreen, __m128i& red)
{
    const __m128i blue = _mm_and_si128(_mm_slli_epi16(words, 3), Words(0x00F8));
    if (kLayout == Layout16::k565) {
        blueGreen = _mm_or_si128(blue, _mm_and_si128(_mm_slli_epi16(words, 5), Words(0xFC00)));
        red = _mm_and_si128(_mm_srli_epi16(words, 8), Words(0x00F8));
    } else {
        blueGreen = _mm_or_si128(blue, _mm_and_si128(_mm_slli_epi16(words, 6), Words(0xF800)));
        red = _mm_and_si128(_mm_srli_epi16(words, 7), Words(0x00F8));
    }
}

// Four pixels of 3 bytes at byte `first` (0 or 4) of v, one per dword; the top
// byte of each dword is whatever followed the pixel.
template <int kFirst>
inline __m128i SpreadBgr(__m128i v)
{
    const __m128i lane0 = _mm_set_epi32(0, 0, 0, -1);
    const __m128i lane1 = _mm_set_epi32(0, 0, -1, 0);
    const __m128i lane2 = _mm_set_epi32(0, -1, 0, 0);
    const __m128i lane3 = _mm_set_epi32(-1, 0, 0, 0);
    if (kFirst == 0) {
        return _mm_or_si128(_mm_or_si128(_mm_and_si128(v, lane0), _mm_and_si128(_mm_slli_si128(v, 1), lane1)),
                            _mm_or_si128(_mm_and_si128(_mm_slli_si128(v, 2), lane2),
                                         _mm_and_si128(_mm_slli_si128(v, 3), lane3)));
    }
    return _mm_or_si128(_mm_or_si128(_mm_and_si128(_mm_srli_si128(v, 4), lane0),
                                     _mm_and_si128(_mm_srli_si128(v, 3), lane1)),
                        _mm_or_si128(_mm_and_si128(_mm_srli_si128(v, 2), lane2),
                                     _mm_and_si128(_mm_srli_si128(v, 1), lane3)));
}

// Dwords holding blue, green, red in bytes 0-2 packed by truncation.
template <Layout16 kLayout>
inline __m128i PackBgrToPixel16(__m128i bgr)
{
    const __m128i blue = _mm_and_si128(_mm_srli_epi32(bgr, 3), _mm_set1_epi32(0x001F));
    if (kLayout == Layout16::k565) {
        return _mm_or_si128(blue, _mm_or_si128(_mm_and_si128(_mm_srli_epi32(bgr, 5), _mm_set1_epi32(0x07E0)),
                                               _mm_and_si128(_mm_srli_epi32(bgr, 8), _mm_set1_epi32(0xF800))));
    }
    return _mm_or_si128(blue, _mm_or_si128(_mm_and_si128(_mm_srli_epi32(bgr, 6), _mm_set1_epi32(0x03E0)),
                                           _mm_and_si128(_mm_srli_epi32(bgr, 9), _mm_set1_epi32(0x7C00))));
}

// Eight dwords below 0x10000 to eight words: sign-extend so the signed pack keeps the bits.
inline __m128i NarrowToWords(__m128i low, __m128i high)
{
    low = _mm_srai_epi32(_mm_slli_epi32(low, 16), 16);
    high = _mm_srai_epi32(_mm_slli_epi32(high, 16), 16);
    return _mm_packs_epi32(low, high);
}

template <Layout16 kTarget>
inline __m128i SwapLayout(__m128i words)
{
    const __m128i blue = _mm_and_si128(words, Words(0x001F));
    if (kTarget == Layout16::k565)
        return _mm_or_si128(blue, _mm_and_si128(_mm_slli_epi16(words, 1), Words(0xFFC0)));
    return _mm_or_si128(blue, _mm_and_si128(_mm_srli_epi16(words, 1), Words(0x7FE0)));
}

}  // namespace

// Table look-ups do not vectorise in SSE2; four entries go out as 12 bytes in two stores.
void Index8ToBgr24Row(const BYTE* src, BYTE* dst, int width, const Bgr24Table& table)
{
    const uint32_t* entry = table.entry;
    int x = 0;
    for (; x + 4 <= width; x += 4)
        StoreFourBgr(dst + 3 * x, entry[src[x]], entry[src[x + 1]], entry[src[x + 2]], entry[src[x + 3]]);
    velmoro::Index8ToBgr24Row(src + x, dst + 3 * x, width - x, table);
}

// Eight look-ups inserted word by word: two loads and one insert per pixel.
inline __m128i LookUpEightWords(const BYTE* src, const uint16_t* entry)
{
    __m128i words = _mm_cvtsi32_si128(static_cast<int>(entry[src[0]]));
    words = _mm_insert_epi16(words, static_cast<int>(entry[src[1]]), 1);
    words = _mm_insert_epi16(words, static_cast<int>(entry[src[2]]), 2);
    words = _mm_insert_epi16(words, static_cast<int>(entry[src[3]]), 3);
    words = _mm_insert_epi16(words, static_cast<int>(entry[src[4]]), 4);
    words = _mm_insert_epi16(words, static_cast<int>(entry[src[5]]), 5);
    words = _mm_insert_epi16(words, static_cast<int>(entry[src[6]]), 6);
    return _mm_insert_epi16(words, static_cast<int>(entry[src[7]]), 7);
}

void Index8ToPixel16Row(const BYTE* src, BYTE* dst, int width, const Pixel16Table& table)
{
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        Store128(dst + 2 * x, LookUpEightWords(src + x, table.entry));
        Store128(dst + 2 * x + 16, LookUpEightWords(src + x + 8, table.entry));
    }
    velmoro::Index8ToPixel16Row(src + x, dst + 2 * x, width - x, table);
}

template <Layout16 kLayout>
void Pixel16ToBgr24Row(const BYTE* src, BYTE* dst, int width)
{
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        __m128i blueGreen, red;
        ExpandChannels<kLayout>(Load128(src + 2 * x), blueGreen, red);
        const __m128i first = PackBgrDwords(_mm_unpacklo_epi16(blueGreen, red));
        const __m128i second = PackBgrDwords(_mm_unpackhi_epi16(blueGreen, red));
        Store128(dst + 3 * x, _mm_or_si128(first, _mm_slli_si128(second, 12)));
        Store64(dst + 3 * x + 16, _mm_srli_si128(second, 4));
    }
    velmoro::Pixel16ToBgr24Row<kLayout>(src + 2 * x, dst + 3 * x, width - x);
}

// Two loads per eight pixels, at bytes 0 and 8, so nothing past the 24 bytes is read.
template <Layout16 kLayout>
void Bgr24ToPixel16Row(const BYTE* src, BYTE* dst, int width)
{
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const BYTE* bgr = src + 3 * x;
        const __m128i first = PackBgrToPixel16<kLayout>(SpreadBgr<0>(Load128(bgr)));
        const __m128i second = PackBgrToPixel16<kLayout>(SpreadBgr<4>(Load128(bgr + 8)));
        Store128(dst + 2 * x, NarrowToWords(first, second));
    }
    velmoro::Bgr24ToPixel16Row<kLayout>(src + 3 * x, dst + 2 * x, width - x);
}

template <Layout16 kTarget>
void SwapPixel16LayoutWords(BYTE* words, size_t count)
{
    size_t i = 0;
    for (; i + 8 <= count; i += 8)
        Store128(words + 2 * i, SwapLayout<kTarget>(Load128(words + 2 * i)));
    velmoro::SwapPixel16LayoutWords<kTarget>(words + 2 * i, count - i);
}

template void Pixel16ToBgr24Row<Layout16::k555>(const BYTE*, BYTE*, int);
template void Pixel16ToBgr24Row<Layout16::k565>(const BYTE*, BYTE*, int);
template void Bgr24ToPixel16Row<Layout16::k555>(const BYTE*, BYTE*, int);
template void Bgr24ToPixel16Row<Layout16::k565>(const BYTE*, BYTE*, int);
template void SwapPixel16LayoutWords<Layout16::k555>(BYTE*, size_t);
template void SwapPixel16LayoutWords<Layout16::k565>(BYTE*, size_t);

}  // namespace sse2
}  // namespace velmoro
