// SPDX-License-Identifier: MIT
// Blank images: the three standard colour tables and the fill routines.
#include <velmoro/dib.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "base/halftone_table.h"
#include "base/pixel_layouts.h"

#include <cstring>

using namespace velmoro;

namespace {

constexpr uint32_t kHexColors[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

void WriteTable(RGBQUAD* table, const uint32_t* colors, int count)
{
    for (int i = 0; i < count; ++i) {
        table[i] = RGBQUAD{static_cast<BYTE>(colors[i]), static_cast<BYTE>(colors[i] >> 8),
                           static_cast<BYTE>(colors[i] >> 16), 0};
    }
}

bool IsCreatableBitCount(int bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24;
}

// Row 0 is built by the caller; the others are copies of it.
void CopyFirstRow(BYTE* bits, int64_t stride, int height)
{
    for (int64_t y = 1; y < height; ++y)
        std::memcpy(StoredRow(bits, stride, y), bits, static_cast<size_t>(stride));
}

}  // namespace

void CDib::CreatMonoColorTable(RGBQUAD* table)
{
    const uint32_t colors[2] = {0x000000, 0xFFFFFF};
    WriteTable(table, colors, 2);
}

void CDib::CreatHexColorTable(RGBQUAD* table)
{
    WriteTable(table, kHexColors, 16);
}

void CDib::CreatHalfToneTable(RGBQUAD* table)
{
    std::memcpy(table, kHalftoneTable, sizeof kHalftoneTable);
}

// Every pixel holds the index and every padding bit is 0 (pixels fill each byte
// from its high bit down).
void CDib::FillIndexTypeBits(BYTE* bits, int width, int height, int bitCount, int index)
{
    if (width <= 0 || height <= 0)
        return;
    BYTE fill;
    switch (bitCount) {
    case 1: fill = index != 0 ? 0xFF : 0x00; break;
    case 4: fill = static_cast<BYTE>((index << 4) | (index & 0x0F)); break;
    case 8: fill = static_cast<BYTE>(index); break;
    default: return;
    }
    const int64_t stride = RowStride(width, bitCount);
    const int64_t pixelBits = int64_t{width} * bitCount;
    const int64_t fullBytes = pixelBits / 8;
    const int partialBits = static_cast<int>(pixelBits % 8);
    std::memset(bits, fill, static_cast<size_t>(fullBytes));
    int64_t padding = fullBytes;
    if (partialBits != 0)
        bits[padding++] = static_cast<BYTE>(fill & (0xFF << (8 - partialBits)));
    std::memset(bits + padding, 0, static_cast<size_t>(stride - padding));
    CopyFirstRow(bits, stride, height);
}

void CDib::FillRGBBits(BYTE* bits, int width, int height, DWORD color)
{
    if (width <= 0 || height <= 0)
        return;
    const int64_t stride = RowStride(width, 24);
    const BYTE bgr[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
    for (int64_t x = 0; x < width; ++x)
        std::memcpy(bits + 3 * x, bgr, 3);
    std::memset(bits + 3 * int64_t{width}, 0, static_cast<size_t>(stride - 3 * int64_t{width}));
    CopyFirstRow(bits, stride, height);
}

// Any selector other than DIB_FORMAT_565 packs 5-5-5, matching the BI_RGB header Create writes.
void CDib::FillRGB16Bits(BYTE* bits, int width, int height, DWORD color, DWORD format)
{
    if (width <= 0 || height <= 0)
        return;
    const int64_t stride = RowStride(width, 16);
    const uint16_t word = PackColor16(color, IsFormat565(format));
    for (int64_t x = 0; x < width; ++x)
        StoreWord(bits + 2 * x, word);
    std::memset(bits + 2 * int64_t{width}, 0, static_cast<size_t>(stride - 2 * int64_t{width}));
    CopyFirstRow(bits, stride, height);
}

// A width of 0 or less gives DIB_ERR_NO_MEMORY, like a negative height: such an
// image has no (or a negative) pixel-block size. A height of 0 makes an image
// without rows.
DWORD CDib::Create(int width, int height, int bitCount, DWORD fillColor, DWORD format)
{
    if (!IsCreatableBitCount(bitCount))
        return DIB_ERR_BAD_BITCOUNT;
    if (width <= 0 || height < 0)
        return DIB_ERR_NO_MEMORY;
    const int entries = DefaultColorEntries(bitCount);
    const bool masks565 = entries == 0 && IsFormat565(format);
    const uint64_t infoBytes = kInfoHeaderBytes + 4 * uint64_t(entries) + (masks565 ? kBitfieldMaskBytes : 0);
    const uint64_t pixelBytes = static_cast<uint64_t>(RowStride(width, bitCount)) * static_cast<uint64_t>(height);
    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(infoBytes);
    BlockPtr<BYTE> bits = MakeBlock(pixelBytes);
    if (!info || !bits)
        return DIB_ERR_NO_MEMORY;

    info->bmiHeader = NewInfoHeader(width, height, bitCount, Compression565(masks565));
    if (masks565)
        WriteMasks565(info.get());

    RGBQUAD* table = ColorTableAddress(info.get());
    switch (bitCount) {
    case 1: CreatMonoColorTable(table); break;
    case 4: CreatHexColorTable(table); break;
    case 8: CreatHalfToneTable(table); break;
    case 16: FillRGB16Bits(bits.get(), width, height, fillColor, format); break;
    default: FillRGBBits(bits.get(), width, height, fillColor); break;
    }
    if (entries != 0)
        FillIndexTypeBits(bits.get(), width, height, bitCount, GetColorTableIndex(table, fillColor, entries));
    ReplaceBlocks(info.release(), bits.release());
    return DIB_OK;
}
