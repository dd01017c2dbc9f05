// SPDX-License-Identifier: MIT
// The size rules of the image record, computed in 64 bits so that no header
// field, however hostile, can overflow them.
#ifndef VELMORO_SRC_BASE_DIB_LAYOUT_H
#define VELMORO_SRC_BASE_DIB_LAYOUT_H

#include <velmoro/types.h>

#include <cstdint>

namespace velmoro {

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

// Bytes behind the 40-byte header: masks (BI_BITFIELDS) and 4-byte colour entries.
inline uint64_t ColorEntryBytes(const BITMAPINFOHEADER* header)
{
    uint64_t bytes = 4 * ColorEntryCount(header);
    if (IsWindowsHeader(header) && header->biCompression == BI_BITFIELDS)
        bytes += kBitfieldMaskBytes;
    return bytes;
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

// The colour entries proper: behind the masks when the header says BI_BITFIELDS.
inline const RGBQUAD* ColorEntries(const BITMAPINFO* info)
{
    const BYTE* table = reinterpret_cast<const BYTE*>(info) + kInfoHeaderBytes;
    if (IsWindowsHeader(HeaderOf(info)) && HeaderOf(info)->biCompression == BI_BITFIELDS)
        table += kBitfieldMaskBytes;
    return reinterpret_cast<const RGBQUAD*>(table);
}

inline uint64_t InfoBlockBytes(const BITMAPINFO* info)
{
    return InfoBlockBytes(HeaderOf(info));
}

// The colour entries follow the header and, under BI_BITFIELDS, the three masks.
inline uint64_t ColorTableOffset(const BITMAPINFOHEADER* header)
{
    const bool hasMasks = IsWindowsHeader(header) && header->biCompression == BI_BITFIELDS;
    return kInfoHeaderBytes + (hasMasks ? kBitfieldMaskBytes : 0);
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

}  // namespace velmoro

#endif
