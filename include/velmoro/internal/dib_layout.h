// SPDX-License-Identifier: MIT
// Internal, not a stable API, and not installed: the size rules and addresses of
// the image record, shared by the library with its own tests and fuzz targets so
// that they check images against the very rules the library applies. Sizes are
// computed in 64 bits so that no header field, however hostile, can overflow them.
#ifndef VELMORO_INTERNAL_DIB_LAYOUT_H
#define VELMORO_INTERNAL_DIB_LAYOUT_H

#include <velmoro/types.h>

#include <cstdint>

namespace velmoro {

// Largest block the library makes: sizes are 32-bit quantities in the file formats.
constexpr uint64_t kMaxBlockBytes = 0xFFFFFFFFull;

constexpr uint32_t kInfoHeaderBytes = sizeof(BITMAPINFOHEADER);
constexpr uint32_t kBitfieldMaskBytes = 12;

// Every rule reads the header through a header pointer: an info block may be
// exactly 40 bytes, shorter than a BITMAPINFO.
inline const BITMAPINFOHEADER* HeaderOf(const BITMAPINFO* info)
{
    return reinterpret_cast<const BITMAPINFOHEADER*>(info);
}

inline bool IsWindowsHeader(const BITMAPINFOHEADER* header)
{
    return header->biSize == kInfoHeaderBytes;
}

inline int DefaultColorEntries(int bitCount)
{
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// Bit count of a Windows header, or of a core header read at the same address.
inline int HeaderBitCount(const BITMAPINFOHEADER* header)
{
    if (IsWindowsHeader(header))
        return header->biBitCount;
    return reinterpret_cast<const BITMAPCOREHEADER*>(header)->bcBitCount;
}

// Number of colour entries: biClrUsed when set, else the default for the depth.
inline uint64_t ColorEntryCount(const BITMAPINFOHEADER* header)
{
    if (IsWindowsHeader(header) && header->biClrUsed != 0)
        return header->biClrUsed;
    return static_cast<uint64_t>(DefaultColorEntries(HeaderBitCount(header)));
}

// Under BI_BITFIELDS the three masks sit right behind a 40-byte header, before
// any colour entry.
inline bool HasBitfieldMasks(const BITMAPINFOHEADER* header)
{
    return IsWindowsHeader(header) && header->biCompression == BI_BITFIELDS;
}

// Bytes behind the 40-byte header: masks (BI_BITFIELDS) and 4-byte colour entries.
inline uint64_t ColorEntryBytes(const BITMAPINFOHEADER* header)
{
    return 4 * ColorEntryCount(header) + (HasBitfieldMasks(header) ? kBitfieldMaskBytes : 0);
}

inline uint64_t InfoBlockBytes(const BITMAPINFOHEADER* header)
{
    return kInfoHeaderBytes + ColorEntryBytes(header);
}

inline uint64_t ColorEntryCount(const BITMAPINFO* info)
{
    return ColorEntryCount(HeaderOf(info));
}

inline uint64_t ColorEntryBytes(const BITMAPINFO* info)
{
    return ColorEntryBytes(HeaderOf(info));
}

inline uint64_t InfoBlockBytes(const BITMAPINFO* info)
{
    return InfoBlockBytes(HeaderOf(info));
}

// The colour entries proper follow the header and, under BI_BITFIELDS, the masks.
// CDib::GetColorTabAddress, the design's public member, gives the bytes right
// behind the header instead, masks included, and keeps that answer. The two
// differ only under BI_BITFIELDS, where the images the library makes (16 bits,
// blank 24 bits) have no colour entries; only a loaded file brings both.
inline uint64_t ColorTableOffset(const BITMAPINFOHEADER* header)
{
    return kInfoHeaderBytes + (HasBitfieldMasks(header) ? kBitfieldMaskBytes : 0);
}

inline const RGBQUAD* ColorEntries(const BITMAPINFO* info)
{
    return reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) + ColorTableOffset(HeaderOf(info)));
}

inline RGBQUAD* ColorTableAddress(BITMAPINFO* info)
{
    return reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(info) + ColorTableOffset(HeaderOf(info)));
}

// Row stride: rows padded to a multiple of four bytes.
inline int64_t RowStride(int64_t width, int bitCount)
{
    return ((width * bitCount + 31) >> 3) & ~int64_t{3};
}

inline int64_t RowStride(const BITMAPINFOHEADER& header)
{
    return RowStride(header.biWidth, header.biBitCount);
}

// stride x height; negative for a top-down header. A product beyond 64 bits
// saturates with its sign, which every caller refuses like any oversized block.
inline int64_t PixelBlockBytes(const BITMAPINFOHEADER& header)
{
    const int64_t stride = RowStride(header);
    int64_t bytes = 0;
    if (__builtin_mul_overflow(stride, int64_t{header.biHeight}, &bytes))
        return (stride < 0) != (header.biHeight < 0) ? INT64_MIN : INT64_MAX;
    return bytes;
}

// Stored rows run bottom-up: picture row y lives in stored row height - 1 - y.
inline BYTE* StoredRow(BYTE* bits, int64_t stride, int64_t storedRow)
{
    return bits + stride * storedRow;
}

inline const BYTE* StoredRow(const BYTE* bits, int64_t stride, int64_t storedRow)
{
    return bits + stride * storedRow;
}

// Picture row y, 0 being the top one, of a block of `height` bottom-up rows.
inline BYTE* PictureRow(BYTE* bits, int64_t stride, int64_t height, int64_t y)
{
    return StoredRow(bits, stride, height - 1 - y);
}

inline const BYTE* PictureRow(const BYTE* bits, int64_t stride, int64_t height, int64_t y)
{
    return StoredRow(bits, stride, height - 1 - y);
}

}  // namespace velmoro

#endif
