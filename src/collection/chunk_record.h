// SPDX-License-Identifier: MIT
// Field encoding and size rules shared by the chunk record and the collection file.
#ifndef VELMORO_SRC_COLLECTION_CHUNK_RECORD_H
#define VELMORO_SRC_COLLECTION_CHUNK_RECORD_H

#include <velmoro/platform/file.h>
#include <velmoro/types.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "platform/file_support.h"

#include <cstdint>
#include <type_traits>

namespace velmoro {

// The two blocks a chunk carries for one image header.
struct ChunkBlockSizes {
    uint32_t infoBytes;   // S1: header, masks and colour table
    uint32_t pixelBytes;  // S2: stride x height
};

// False for a header no chunk may carry: not a 40-byte header, a width or
// height that is not positive, a depth other than 1, 4, 8, 16, 24 or 32, a
// compressed layout, or blocks beyond 32 bits. Writer and readers share it, so
// whatever is saved loads back.
inline bool ChunkBlockSizesOf(const BITMAPINFOHEADER& header, ChunkBlockSizes& sizes)
{
    if (header.biSize != kInfoHeaderBytes || header.biWidth <= 0 || header.biHeight <= 0)
        return false;
    switch (header.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
    }
    if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS)
        return false;
    const uint64_t infoBytes = InfoBlockBytes(reinterpret_cast<const BITMAPINFO*>(&header));
    // The stride of a 31-bit width fits easily; its product with a 31-bit height
    // may not, even in 64 bits, so the bound is checked by division first.
    const uint64_t stride = static_cast<uint64_t>(RowStride(header));
    const uint64_t height = static_cast<uint64_t>(header.biHeight);
    if (infoBytes > kMaxBlockBytes || stride > kMaxBlockBytes / height)
        return false;
    sizes.infoBytes = static_cast<uint32_t>(infoBytes);
    sizes.pixelBytes = static_cast<uint32_t>(stride * height);
    return true;
}

// Little-endian unsigned fields; false on a short read, value untouched.
template <typename T>
bool ReadField(CFile& file, T& value)
{
    static_assert(std::is_unsigned<T>::value, "fields are unsigned");
    BYTE bytes[sizeof(T)];
    if (file.Read(bytes, sizeof bytes) < sizeof bytes)
        return false;
    T assembled = 0;
    for (size_t i = sizeof(T); i-- > 0;)
        assembled = static_cast<T>((static_cast<uint64_t>(assembled) << 8) | bytes[i]);
    value = assembled;
    return true;
}

template <typename T>
void WriteField(CFile& file, T value)
{
    static_assert(std::is_unsigned<T>::value, "fields are unsigned");
    BYTE bytes[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<BYTE>(static_cast<uint64_t>(value) >> (8 * i));
    file.Write(bytes, sizeof bytes);
}

}  // namespace velmoro

#endif
