// SPDX-License-Identifier: MIT
#include "picture/picture_blocks.h"

#include "core/dib_block_access.h"
#include "base/dib_layout.h"
#include "base/pixel_layouts.h"

#include <climits>
#include <cstring>

namespace velmoro {

DWORD PictureBlocks::Make(uint64_t width, uint64_t height, int bitCount, DWORD compression, uint64_t entries)
{
    const bool masks = bitCount == 16 && compression == BI_BITFIELDS;
    // An 8-bit record without a table, or with more entries than indices, is no record at all.
    if ((bitCount == 8) != (entries != 0) || entries > 256)
        return DIB_ERR_BAD_HEADER;
    if (width > INT32_MAX || height > INT32_MAX)
        return DIB_ERR_NO_MEMORY;
    const uint64_t stride = static_cast<uint64_t>(RowStride(static_cast<int64_t>(width), bitCount));
    if (stride != 0 && height > kMaxBlockBytes / stride)
        return DIB_ERR_NO_MEMORY;
    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(kInfoHeaderBytes + (masks ? kBitfieldMaskBytes : 0) + 4 * entries);
    BlockPtr<BYTE> bits = MakeBlock(stride * height);
    if (!info || !bits)
        return DIB_ERR_NO_MEMORY;

    BITMAPINFOHEADER& header = info->bmiHeader;
    header = NewInfoHeader(static_cast<LONG>(width), static_cast<LONG>(height), bitCount, Compression565(masks));
    // The record counts a full table as 0.
    header.biClrUsed = entries == static_cast<uint64_t>(DefaultColorEntries(bitCount)) ? 0 : static_cast<DWORD>(entries);
    if (masks)
        WriteMasks565(info.get());

    m_info = std::move(info);
    m_bits = std::move(bits);
    m_width = width;
    m_height = height;
    m_stride = stride;
    m_bitCount = bitCount;
    return DIB_OK;
}

void PictureBlocks::ClearPadding() const
{
    const uint64_t used = (m_width * static_cast<uint64_t>(m_bitCount) + 7) / 8;
    if (used == m_stride)
        return;
    for (uint64_t y = 0; y < m_height; ++y)
        std::memset(m_bits.get() + m_stride * y + used, 0, m_stride - used);
}

RGBQUAD* PictureBlocks::ColorTable() const
{
    return ColorTableAddress(m_info.get());
}

void PictureBlocks::Install(CDib& image)
{
    DibBlockAccess::Replace(image, std::move(m_info), std::move(m_bits));
}

void WriteGreyTable(RGBQUAD* table, unsigned levels)
{
    for (unsigned i = 0; i < levels; ++i) {
        const BYTE grey = static_cast<BYTE>((i * 255 + (levels - 1) / 2) / (levels - 1));
        table[i] = RGBQUAD{grey, grey, grey, 0};
    }
}

}  // namespace velmoro
