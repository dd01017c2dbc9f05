// Blank images: the three standard colour tables and the fill routines.
#include <velmoro/dib.h>

#include "core/blocks.h"
#include "core/dib_layout.h"
#include "core/pixel_layouts.h"

#include <cstring>

using namespace velmoro;

namespace {

// The halftone palette as 0xRRGGBB. Its order follows no formula (system colours
// at both ends, greys, a colour cube with moved and missing entries), so it is
// kept as the literal list that stored images and palettes expect.
constexpr uint32_t kHalftoneColors[256] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,  // 0-7
    0xC0DCC0, 0xA6CAF0, 0x040404, 0x080808, 0x0C0C0C, 0x111111, 0x161616, 0x1C1C1C,  // 8-15
    0x222222, 0x292929, 0x555555, 0x4D4D4D, 0x424D4D, 0x393939, 0xFF7C80, 0xFF5050,  // 16-23
    0xD60093, 0xCCECFF, 0xEFD6C6, 0xE7E7D6, 0xADA990, 0x330000, 0x660000, 0x990000,  // 24-31
    0xCC0000, 0x003300, 0x333300, 0x663300, 0x993300, 0xCC3300, 0xFF3300, 0x006600,  // 32-39
    0x336600, 0x666600, 0x996600, 0xCC6600, 0xFF6600, 0x009900, 0x339900, 0x669900,  // 40-47
    0x999900, 0xCC9900, 0xFF9900, 0x00CC00, 0x33CC00, 0x66CC00, 0x99CC00, 0xCCCC00,  // 48-55
    0xFFCC00, 0x66FF00, 0x99FF00, 0xCCFF00, 0x000033, 0x330033, 0x660033, 0x990033,  // 56-63
    0xCC0033, 0xFF0033, 0x003333, 0x333333, 0x663333, 0x993333, 0xCC3333, 0xFF3333,  // 64-71
    0x006633, 0x336633, 0x666633, 0x996633, 0xCC6633, 0xFF6633, 0x009933, 0x339933,  // 72-79
    0x669933, 0x999933, 0xCC9933, 0xFF9933, 0x00CC33, 0x33CC33, 0x66CC33, 0x99CC33,  // 80-87
    0xCCCC33, 0xFFCC33, 0x33FF33, 0x66FF33, 0x99FF33, 0xCCFF33, 0xFFFF33, 0x000066,  // 88-95
    0x330066, 0x660066, 0x990066, 0xCC0066, 0xFF0066, 0x003366, 0x333366, 0x663366,  // 96-103
    0x993366, 0xCC3366, 0xFF3366, 0x006666, 0x336666, 0x666666, 0x996666, 0xCC6666,  // 104-111
    0x009966, 0x339966, 0x669966, 0x999966, 0xCC9966, 0xFF9966, 0x00CC66, 0x33CC66,  // 112-119
    0x99CC66, 0xCCCC66, 0xFFCC66, 0x00FF66, 0x33FF66, 0x99FF66, 0xCCFF66, 0xFF00CC,  // 120-127
    0xCC00FF, 0x009999, 0x993399, 0x990099, 0xCC0099, 0x000099, 0x333399, 0x660099,  // 128-135
    0xCC3399, 0xFF0099, 0x006699, 0x336699, 0x663399, 0x996699, 0xCC6699, 0xFF3399,  // 136-143
    0x339999, 0x669999, 0x999999, 0xCC9999, 0xFF9999, 0x00CC99, 0x33CC99, 0x66CC66,  // 144-151
    0x99CC99, 0xCCCC99, 0xFFCC99, 0x00FF99, 0x33FF99, 0x66CC99, 0x99FF99, 0xCCFF99,  // 152-159
    0xFFFF99, 0x0000CC, 0x330099, 0x6600CC, 0x9900CC, 0xCC00CC, 0x003399, 0x3333CC,  // 160-167
    0x6633CC, 0x9933CC, 0xCC33CC, 0xFF33CC, 0x0066CC, 0x3366CC, 0x666699, 0x9966CC,  // 168-175
    0xCC66CC, 0xFF6699, 0x0099CC, 0x3399CC, 0x6699CC, 0x9999CC, 0xCC99CC, 0xFF99CC,  // 176-183
    0x00CCCC, 0x33CCCC, 0x66CCCC, 0x99CCCC, 0xCCCCCC, 0xFFCCCC, 0x00FFCC, 0x33FFCC,  // 184-191
    0x66FF99, 0x99FFCC, 0xCCFFCC, 0xFFFFCC, 0x3300CC, 0x6600FF, 0x9900FF, 0x0033CC,  // 192-199
    0x3333FF, 0x6633FF, 0x9933FF, 0xCC33FF, 0xFF33FF, 0x0066FF, 0x3366FF, 0x6666CC,  // 200-207
    0x9966FF, 0xCC66FF, 0xFF66CC, 0x0099FF, 0x3399FF, 0x6699FF, 0x9999FF, 0xCC99FF,  // 208-215
    0xFF99FF, 0x00CCFF, 0x33CCFF, 0x66CCFF, 0x99CCFF, 0xCCCCFF, 0xFFCCFF, 0x33FFFF,  // 216-223
    0x66FFCC, 0x99FFFF, 0xCCFFFF, 0xFF6666, 0x66FF66, 0xFFFF66, 0x6666FF, 0xFF66FF,  // 224-231
    0x66FFFF, 0xA50021, 0x5F5F5F, 0x777777, 0x868686, 0x969696, 0xCBCBCB, 0xB2B2B2,  // 232-239
    0xD7D7D7, 0xDDDDDD, 0xE3E3E3, 0xEAEAEA, 0xF1F1F1, 0xF8F8F8, 0xFFFBF0, 0xA0A0A4,  // 240-247
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,  // 248-255
};

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
    WriteTable(table, kHalftoneColors, 256);
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

    BITMAPINFOHEADER& header = info->bmiHeader;
    header = BITMAPINFOHEADER{};
    header.biSize = kInfoHeaderBytes;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitCount);
    header.biCompression = masks565 ? BI_BITFIELDS : BI_RGB;
    BYTE* behindHeader = reinterpret_cast<BYTE*>(info.get()) + kInfoHeaderBytes;
    if (masks565) {
        const DWORD masks[3] = {0x0000F800, 0x000007E0, 0x0000001F};
        std::memcpy(behindHeader, masks, sizeof masks);
    }

    RGBQUAD* table = reinterpret_cast<RGBQUAD*>(behindHeader);
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
