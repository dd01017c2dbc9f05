// SPDX-License-Identifier: MIT
// Row functions of the depth conversions. The plain rows are the reference and
// also finish the pixels a SIMD row leaves over, so both paths give the same bytes.
// A row function converts `width` pixels; the row's padding belongs to the caller.
#ifndef VELMORO_SRC_EDIT_CONVERT_SIMD_H
#define VELMORO_SRC_EDIT_CONVERT_SIMD_H

#include "base/pixel_layouts.h"
#include "edit/simd_memory.h"

#include <velmoro/types.h>

#include <cstddef>
#include <cstdint>


namespace velmoro {

enum class Layout16 { k555, k565 };

// An 8-bit image's colour table widened to 256 entries, entries past the image's
// table black, so that no index can read past it.
struct Bgr24Table {
    uint32_t entry[256];  // blue, green, red from the low byte up; top byte 0
};

struct Pixel16Table {
    uint16_t entry[256];
};

inline void Index8ToBgr24Row(const BYTE* src, BYTE* dst, int width, const Bgr24Table& table)
{
    for (int x = 0; x < width; ++x) {
        const uint32_t bgr = table.entry[src[x]];
        dst[3 * x] = static_cast<BYTE>(bgr);
        dst[3 * x + 1] = static_cast<BYTE>(bgr >> 8);
        dst[3 * x + 2] = static_cast<BYTE>(bgr >> 16);
    }
}

inline void Index8ToPixel16Row(const BYTE* src, BYTE* dst, int width, const Pixel16Table& table)
{
    for (int x = 0; x < width; ++x)
        StoreWord(dst + 2 * x, table.entry[src[x]]);
}

template <Layout16 kLayout>
inline void Pixel16ToBgr24Row(const BYTE* src, BYTE* dst, int width)
{
    for (int x = 0; x < width; ++x) {
        const Bgr bgr = ExpandPixel16(LoadWord(src + 2 * x), kLayout == Layout16::k565);
        dst[3 * x] = bgr.blue;
        dst[3 * x + 1] = bgr.green;
        dst[3 * x + 2] = bgr.red;
    }
}

template <Layout16 kLayout>
inline void Bgr24ToPixel16Row(const BYTE* src, BYTE* dst, int width)
{
    for (int x = 0; x < width; ++x) {
        const BYTE* bgr = src + 3 * x;
        StoreWord(dst + 2 * x, PackPixel16(bgr[2], bgr[1], bgr[0], kLayout == Layout16::k565));
    }
}

// In place over `count` words: to 5-6-5 from 5-5-5, or to 5-5-5 from 5-6-5.
template <Layout16 kTarget>
inline void SwapPixel16LayoutWords(BYTE* words, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const uint16_t word = LoadWord(words + 2 * i);
        StoreWord(words + 2 * i, kTarget == Layout16::k565 ? Convert555To565(word) : Convert565To555(word));
    }
}

// The twins' rows: same arguments and bytes as the plain rows above. SSE2 is the
// x86-64 baseline; the AVX2 rows run only where the processor has AVX2, and the
// 8-to-16 look-up has no AVX2 row because wider registers do not speed it up.
#if VELMORO_X86
namespace sse2 {
void Index8ToBgr24Row(const BYTE* src, BYTE* dst, int width, const Bgr24Table& table);
void Index8ToPixel16Row(const BYTE* src, BYTE* dst, int width, const Pixel16Table& table);
template <Layout16 kLayout>
void Pixel16ToBgr24Row(const BYTE* src, BYTE* dst, int width);
template <Layout16 kLayout>
void Bgr24ToPixel16Row(const BYTE* src, BYTE* dst, int width);
template <Layout16 kTarget>
void SwapPixel16LayoutWords(BYTE* words, size_t count);
}  // namespace sse2

namespace avx2 {
VELMORO_AVX2 void Index8ToBgr24Row(const BYTE* src, BYTE* dst, int width, const Bgr24Table& table);
template <Layout16 kLayout>
VELMORO_AVX2 void Pixel16ToBgr24Row(const BYTE* src, BYTE* dst, int width);
template <Layout16 kLayout>
VELMORO_AVX2 void Bgr24ToPixel16Row(const BYTE* src, BYTE* dst, int width);
template <Layout16 kTarget>
VELMORO_AVX2 void SwapPixel16LayoutWords(BYTE* words, size_t count);
}  // namespace avx2
#endif

}  // namespace velmoro

#endif
