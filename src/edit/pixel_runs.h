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

// An image with an info block and a pixel block to read.
inline bool HoldsPicture(const CDib& image)
{
    return !image.IsEmpty() && image.GetBmpBitsAddress() != NULL;
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

// Which bytes of a row keep their value and which take a pixel's bytes, for
// a pattern of kept and painted pixels that repeats every 48 bytes: a whole
// number of two-pixel periods at every depth (2, 4 or 6 bytes) and of 16-byte
// vectors, so the merge below needs no gather.
struct PixelPattern {
    static constexpr size_t kBytes = 48;
    BYTE keep[kBytes];   // 0xFF where the byte is kept, else 0
    BYTE paint[kBytes];  // the pixel's byte where painted, else 0
};

// isKept(n) tells whether the pattern's nth pixel keeps its value.
template <typename IsKept>
PixelPattern MakePixelPattern(const StoredPixel& pixel, IsKept isKept)
{
    PixelPattern pattern;
    for (size_t i = 0; i < PixelPattern::kBytes; ++i) {
        const bool kept = isKept(i / pixel.size);
        pattern.keep[i] = kept ? 0xFF : 0x00;
        pattern.paint[i] = kept ? 0x00 : pixel.bytes[i % pixel.size];
    }
    return pattern;
}

// out = in & keep | paint over bytes bytes; out may be in. No branch per pixel:
// the pattern sits in three 16-byte vectors (the compiler's generic vectors,
// so any target builds it) and every 48 bytes take one and-or each.
inline void MergePixelPattern(const BYTE* in, BYTE* out, size_t bytes, const PixelPattern& pattern)
{
    using Bytes16 = BYTE __attribute__((vector_size(16)));
    constexpr size_t kVectors = PixelPattern::kBytes / 16;
    Bytes16 keep[kVectors];
    Bytes16 paint[kVectors];
    std::memcpy(keep, pattern.keep, sizeof keep);
    std::memcpy(paint, pattern.paint, sizeof paint);
    size_t x = 0;
    for (; x + PixelPattern::kBytes <= bytes; x += PixelPattern::kBytes) {
        for (size_t k = 0; k < kVectors; ++k) {
            Bytes16 lanes;
            std::memcpy(&lanes, in + x + 16 * k, 16);
            lanes = (lanes & keep[k]) | paint[k];
            std::memcpy(out + x + 16 * k, &lanes, 16);
        }
    }
    for (size_t k = 0; x < bytes; ++x, ++k)
        out[x] = static_cast<BYTE>((in[x] & pattern.keep[k]) | pattern.paint[k]);
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
