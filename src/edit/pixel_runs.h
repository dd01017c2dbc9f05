// SPDX-License-Identifier: MIT
// Row pieces shared by crop, join and interlace: one pixel as stored, runs of
// it, and rows copied with their padding cleared.
#ifndef VELMORO_SRC_EDIT_PIXEL_RUNS_H
#define VELMORO_SRC_EDIT_PIXEL_RUNS_H

#include <velmoro/dib.h>

#include "base/dib_layout.h"
#include "base/pixel_layouts.h"
#include "edit/row_copy.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace velmoro {

// The depths the editing operations work on.
inline bool IsEditableDepth(int bitCount)
{
    return bitCount == 8 || bitCount == 16 || bitCount == 24;
}

// One pixel as its bytes lie in a row: an index, a little-endian word, or blue, green, red.
struct StoredPixel {
    BYTE bytes[3];
    size_t size;
};

inline StoredPixel IndexPixel(BYTE index)
{
    return StoredPixel{{index, 0, 0}, 1};
}

inline StoredPixel WordPixel(uint16_t word)
{
    return StoredPixel{{static_cast<BYTE>(word), static_cast<BYTE>(word >> 8), 0}, 2};
}

// A 0x00BBGGRR colour; bits 24-31 play no part.
inline StoredPixel BgrPixel(DWORD color)
{
    return StoredPixel{{static_cast<BYTE>(color >> 16), static_cast<BYTE>(color >> 8), static_cast<BYTE>(color)}, 3};
}

// The fill pixel of a 16- or 24-bit image for a colour; 8-bit images search their table instead.
inline StoredPixel DirectFillPixel(const BITMAPINFOHEADER& header, DWORD color)
{
    if (header.biBitCount == 16)
        return WordPixel(PackColor16(color, IsHeader565(header)));
    return BgrPixel(color);
}

// The entries a colour search may look at: those the table holds, at most 256.
inline int SearchableEntries(const BITMAPINFO* info)
{
    return static_cast<int>(std::min<uint64_t>(ColorEntryCount(info), 256));
}

// Fills bytes bytes with the pixel repeated, the last copy cut short if need be.
// Doubling copies make a long run cost about as much as a memset.
inline void FillPixelBytes(BYTE* dst, size_t bytes, const StoredPixel& pixel)
{
    if (pixel.size == 1) {
        std::memset(dst, pixel.bytes[0], bytes);
        return;
    }
    size_t done = std::min(bytes, pixel.size);
    std::memcpy(dst, pixel.bytes, done);
    while (done < bytes) {
        const size_t chunk = std::min(done, bytes - done);
        std::memcpy(dst + done, dst, chunk);
        done += chunk;
    }
}

// Most rows have no padding; skip the call for them.
inline void ClearPadding(BYTE* pad, size_t bytes)
{
    if (bytes != 0)
        std::memset(pad, 0, bytes);
}

// Copies rowBytes of each row and clears the rest of each destination stride.
inline void CopyRowsPadded(BYTE* dst, size_t dstStride, const BYTE* src, size_t srcStride, size_t rowBytes,
                           size_t rows, const RowCopier& copier)
{
    for (size_t r = 0; r < rows; ++r, dst += dstStride, src += srcStride) {
        copier.Copy(dst, src, rowBytes);
        ClearPadding(dst + rowBytes, dstStride - rowBytes);
    }
}

}  // namespace velmoro

#endif
