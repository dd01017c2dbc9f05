// The size rules of the image record, computed in 64 bits so that no header
// field, however hostile, can overflow them.
#ifndef VELMORO_SRC_CORE_DIB_LAYOUT_H
#define VELMORO_SRC_CORE_DIB_LAYOUT_H

#include <velmoro/types.h>

#include <cstdint>

namespace velmoro {

constexpr uint32_t kInfoHeaderBytes = sizeof(BITMAPINFOHEADER);
constexpr uint32_t kBitfieldMaskBytes = 12;

inline bool IsWindowsHeader(const BITMAPINFO* info)
{
    return info->bmiHeader.biSize == kInfoHeaderBytes;
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
inline int HeaderBitCount(const BITMAPINFO* info)
{
    if (IsWindowsHeader(info))
        return info->bmiHeader.biBitCount;
    return reinterpret_cast<const BITMAPCOREHEADER*>(info)->bcBitCount;
}

// Number of colour entries: biClrUsed when set, else the default for the depth.
inline uint64_t ColorEntryCount(const BITMAPINFO* info)
{
    if (IsWindowsHeader(info) && info->bmiHeader.biClrUsed != 0)
        return info->bmiHeader.biClrUsed;
    return static_cast<uint64_t>(DefaultColorEntries(HeaderBitCount(info)));
}

// Bytes behind the 40-byte header: masks (BI_BITFIELDS) and 4-byte colour entries.
inline uint64_t ColorEntryBytes(const BITMAPINFO* info)
{
    uint64_t bytes = 4 * ColorEntryCount(info);
    if (IsWindowsHeader(info) && info->bmiHeader.biCompression == BI_BITFIELDS)
        bytes += kBitfieldMaskBytes;
    return bytes;
}

// The colour entries proper: behind the masks when the header says BI_BITFIELDS.
inline const RGBQUAD* ColorEntries(const BITMAPINFO* info)
{
    const BYTE* table = reinterpret_cast<const BYTE*>(info) + kInfoHeaderBytes;
    if (IsWindowsHeader(info) && info->bmiHeader.biCompression == BI_BITFIELDS)
        table += kBitfieldMaskBytes;
    return reinterpret_cast<const RGBQUAD*>(table);
}

inline uint64_t InfoBlockBytes(const BITMAPINFO* info)
{
    return kInfoHeaderBytes + ColorEntryBytes(info);
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

// stride x height; negative for a top-down header.
inline int64_t PixelBlockBytes(const BITMAPINFOHEADER& header)
{
    return RowStride(header) * header.biHeight;
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
