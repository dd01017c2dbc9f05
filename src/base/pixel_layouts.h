// SPDX-License-Identifier: MIT
// The two 16-bit layouts and the channel rules: reduction by truncation,
// expansion by shifting (low bits zero, no replication).
#ifndef VELMORO_SRC_BASE_PIXEL_LAYOUTS_H
#define VELMORO_SRC_BASE_PIXEL_LAYOUTS_H

#include <velmoro/result.h>
#include <velmoro/types.h>

#include "base/dib_layout.h"

#include <cstdint>
#include <cstring>

namespace velmoro {

// Bit-field masks as a header spells them: the two 16-bit layouts, and
// blue, green, red in the low three bytes of a 32-bit pixel.
constexpr DWORD kMasks565[3] = {0xF800, 0x07E0, 0x001F};
constexpr DWORD kMasks555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr DWORD kMasks888[3] = {0xFF0000, 0x00FF00, 0x0000FF};

// Whether the three masks at `masks` (any alignment) are `expected`.
inline bool MasksEqual(const void* masks, const DWORD (&expected)[3])
{
    return std::memcmp(masks, expected, sizeof expected) == 0;
}

// Only the exact 5-6-5 selector picks 5-6-5; every other value means 5-5-5.
inline bool IsFormat565(DWORD format)
{
    return format == DIB_FORMAT_565;
}

// A 16-bit image is 5-6-5 when its header says BI_BITFIELDS; the masks are not read.
inline bool IsHeader565(const BITMAPINFOHEADER& header)
{
    return header.biCompression == BI_BITFIELDS;
}

// What a new image's header says for the layout, IsHeader565's converse.
inline DWORD Compression565(bool is565)
{
    return is565 ? BI_BITFIELDS : BI_RGB;
}

// A new BI_BITFIELDS image carries the 5-6-5 masks right behind its header.
inline void WriteMasks565(BITMAPINFO* info)
{
    std::memcpy(reinterpret_cast<BYTE*>(info) + kInfoHeaderBytes, kMasks565, sizeof kMasks565);
}

inline uint16_t Pack555(unsigned red, unsigned green, unsigned blue)
{
    return static_cast<uint16_t>(((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3));
}

inline uint16_t Pack565(unsigned red, unsigned green, unsigned blue)
{
    return static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

inline uint16_t PackPixel16(unsigned red, unsigned green, unsigned blue, bool is565)
{
    return is565 ? Pack565(red, green, blue) : Pack555(red, green, blue);
}

// A 0x00BBGGRR colour packed by truncation; bits 24-31 play no part.
inline uint16_t PackColor16(DWORD color, bool is565)
{
    return PackPixel16(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF, is565);
}

struct Bgr {
    BYTE blue;
    BYTE green;
    BYTE red;
};

inline Bgr Expand555(uint16_t word)
{
    return Bgr{static_cast<BYTE>((word & 0x1F) << 3), static_cast<BYTE>(((word >> 5) & 0x1F) << 3),
               static_cast<BYTE>(((word >> 10) & 0x1F) << 3)};
}

inline Bgr Expand565(uint16_t word)
{
    return Bgr{static_cast<BYTE>((word & 0x1F) << 3), static_cast<BYTE>(((word >> 5) & 0x3F) << 2),
               static_cast<BYTE>(((word >> 11) & 0x1F) << 3)};
}

inline Bgr ExpandPixel16(uint16_t word, bool is565)
{
    return is565 ? Expand565(word) : Expand555(word);
}

// Bit 15 of the source drops out; the new lowest green bit is 0.
inline uint16_t Convert555To565(uint16_t word)
{
    return static_cast<uint16_t>(((word << 1) & 0xFFC0) | (word & 0x001F));
}

// The lowest green bit drops out; bit 15 becomes 0.
inline uint16_t Convert565To555(uint16_t word)
{
    return static_cast<uint16_t>(((word >> 1) & 0x7FE0) | (word & 0x001F));
}

inline uint16_t LoadWord(const BYTE* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline void StoreWord(BYTE* p, uint16_t word)
{
    p[0] = static_cast<BYTE>(word);
    p[1] = static_cast<BYTE>(word >> 8);
}

// The colour table's entry as 0x00BBGGRR, the form key colours are given in.
inline DWORD EntryColor(const RGBQUAD& entry)
{
    return static_cast<DWORD>(entry.rgbRed) | (static_cast<DWORD>(entry.rgbGreen) << 8) |
           (static_cast<DWORD>(entry.rgbBlue) << 16);
}

}  // namespace velmoro

#endif
