// SPDX-License-Identifier: MIT
// Rows of pixels in every format the graphics layer meets (DIB rows and bitmap
// rows alike), decoded to and encoded from one 32-bit working form.
#ifndef VELMORO_SRC_PLATFORM_GDI_PIXELS_H
#define VELMORO_SRC_PLATFORM_GDI_PIXELS_H

#include <velmoro/types.h>

#include <cstdint>

namespace velmoro {
namespace gdi {

// 0x00RRGGBB: a pixel of a 32-bit surface read as a little-endian word.
using Xrgb = uint32_t;

inline Xrgb MakeXrgb(unsigned red, unsigned green, unsigned blue)
{
    return (red << 16) | (green << 8) | blue;
}

// COLORREF is 0x00BBGGRR; the swap is its own inverse.
inline COLORREF SwapRedBlue(uint32_t pixel)
{
    return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

struct PixelFormat {
    int bitCount = 0;  // 1, 2, 4, 8, 16, 24 or 32
    bool is565 = false;
    int colorCount = 0;    // indexed formats: the entries that exist
    Xrgb colors[256] = {};  // indices past colorCount read as black
};

// The format of a bottom-up DIB of 1, 4, 8, 16 (5-5-5, or bit fields with
// 5-6-5 or 5-5-5 masks), 24 or 32 bits (blue, green, red, unused; or bit fields
// in that order); false for any other DIB.
bool ReadDibFormat(const BITMAPINFO* info, PixelFormat& format);
// The indices of count pixels of a 1, 2, 4 or 8-bit row from column x0 on, one byte each.
void UnpackIndices(const BYTE* row, int bitCount, int64_t x0, int64_t count, BYTE* out);
// Reads count pixels from column x0 on.
void DecodeRow(const BYTE* row, int64_t x0, int64_t count, const PixelFormat& format, Xrgb* out);
// Writes count pixels from column x0 on; other bits of the row keep their values.
// Indexed formats take the nearest existing colour (lowest index on a tie).
void EncodeRow(const Xrgb* pixels, int64_t count, const PixelFormat& format, BYTE* row, int64_t x0);

}  // namespace gdi
}  // namespace velmoro

#endif
