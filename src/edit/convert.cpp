// SPDX-License-Identifier: MIT
// Depth conversion: the public operations, the per-depth workers and the row
// loop they share. Plain workers and their twins differ only in the row
// functions they hand to that loop.
#include <velmoro/dib_edit.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "base/pixel_layouts.h"
#include "edit/convert_simd.h"
#include "edit/pixel_runs.h"
#include "edit/row_tables.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>

using namespace velmoro;

namespace {

using Index8ToBgr24RowFn = void (*)(const BYTE*, BYTE*, int, const Bgr24Table&);
using Index8ToPixel16RowFn = void (*)(const BYTE*, BYTE*, int, const Pixel16Table&);
using PixelRowFn = void (*)(const BYTE*, BYTE*, int);
using SwapWordsFn = void (*)(BYTE*, size_t);

// One set of row functions per variant; the arrays are indexed by Layout16.
struct ConversionRows {
    Index8ToBgr24RowFn index8ToBgr24;
    Index8ToPixel16RowFn index8ToPixel16;
    PixelRowFn pixel16ToBgr24[2];
    PixelRowFn bgr24ToPixel16[2];
    SwapWordsFn swapPixel16Layout[2];
    // The twins swap the whole block as one run of words, so an odd-width row's
    // padding word goes through the same formula; the plain rows leave it alone.
    bool swapsPadding;
};

constexpr ConversionRows kPlainRows = {
    &velmoro::Index8ToBgr24Row,
    &velmoro::Index8ToPixel16Row,
    {&velmoro::Pixel16ToBgr24Row<Layout16::k555>, &velmoro::Pixel16ToBgr24Row<Layout16::k565>},
    {&velmoro::Bgr24ToPixel16Row<Layout16::k555>, &velmoro::Bgr24ToPixel16Row<Layout16::k565>},
    {&velmoro::SwapPixel16LayoutWords<Layout16::k555>, &velmoro::SwapPixel16LayoutWords<Layout16::k565>},
    false,
};

#if VELMORO_X86
constexpr ConversionRows kSse2Rows = {
    &sse2::Index8ToBgr24Row,
    &sse2::Index8ToPixel16Row,
    {&sse2::Pixel16ToBgr24Row<Layout16::k555>, &sse2::Pixel16ToBgr24Row<Layout16::k565>},
    {&sse2::Bgr24ToPixel16Row<Layout16::k555>, &sse2::Bgr24ToPixel16Row<Layout16::k565>},
    {&sse2::SwapPixel16LayoutWords<Layout16::k555>, &sse2::SwapPixel16LayoutWords<Layout16::k565>},
    true,
};

constexpr ConversionRows kAvx2Rows = {
    &avx2::Index8ToBgr24Row,
    &sse2::Index8ToPixel16Row,  // look-ups: wider registers add nothing
    {&avx2::Pixel16ToBgr24Row<Layout16::k555>, &avx2::Pixel16ToBgr24Row<Layout16::k565>},
    {&avx2::Bgr24ToPixel16Row<Layout16::k555>, &avx2::Bgr24ToPixel16Row<Layout16::k565>},
    {&avx2::SwapPixel16LayoutWords<Layout16::k555>, &avx2::SwapPixel16LayoutWords<Layout16::k565>},
    true,
};
#elif VELMORO_NEON
// No NEON conversion rows yet: the plain rows, with the whole block swapped as
// one run of words as the x86 twins swap it, so that a twin gives the same bytes
// on every processor that runs twins.
constexpr ConversionRows kNeonRows = {
    kPlainRows.index8ToBgr24,
    kPlainRows.index8ToPixel16,
    {kPlainRows.pixel16ToBgr24[0], kPlainRows.pixel16ToBgr24[1]},
    {kPlainRows.bgr24ToPixel16[0], kPlainRows.bgr24ToPixel16[1]},
    {kPlainRows.swapPixel16Layout[0], kPlainRows.swapPixel16Layout[1]},
    true,
};
#endif

// The plain members run the plain rows, their twins the widest.
constexpr RowLadder<ConversionRows> kConversionRows =
    VELMORO_ROW_LADDER(&kPlainRows, &kSse2Rows, nullptr, &kAvx2Rows, &kNeonRows);

int LayoutIndex(bool is565)
{
    return static_cast<int>(is565 ? Layout16::k565 : Layout16::k555);
}

const BITMAPINFOHEADER& HeaderOf(const CDib& image)
{
    return image.GetBmpInfoAddress()->bmiHeader;
}

DWORD CheckWorkerSource(const CDib& image, int bitCount, DWORD wrongDepth)
{
    if (!HoldsPicture(image))
        return DIB_ERR_EMPTY;
    return image.GetBitCount() == bitCount ? DIB_OK : wrongDepth;
}

// Walks the source rows and the destination rows together; the destination's
// padding is zeroed after each row.
template <typename Row>
void ConvertRows(const CDib& image, BYTE* dst, int dstBitCount, Row row)
{
    const BITMAPINFOHEADER& header = HeaderOf(image);
    const int width = header.biWidth;
    const int height = header.biHeight;
    if (width <= 0 || height <= 0)
        return;
    const int64_t srcStride = RowStride(header);
    const int64_t dstStride = RowStride(width, dstBitCount);
    const int64_t dstPixelBytes = int64_t{width} * (dstBitCount / 8);
    const BYTE* src = image.GetBmpBitsAddress();
    for (int64_t y = 0; y < height; ++y) {
        BYTE* dstRow = StoredRow(dst, dstStride, y);
        row(StoredRow(src, srcStride, y), dstRow, width);
        std::memset(dstRow + dstPixelBytes, 0, static_cast<size_t>(dstStride - dstPixelBytes));
    }
}

Bgr24Table MakeBgr24Table(const BITMAPINFO* info)
{
    Bgr24Table table{};
    const RGBQUAD* entries = ColorEntries(info);
    for (int i = 0; i < SearchableEntries(info); ++i) {
        const RGBQUAD& entry = entries[i];
        table.entry[i] = entry.rgbBlue | (uint32_t{entry.rgbGreen} << 8) | (uint32_t{entry.rgbRed} << 16);
    }
    return table;
}

Pixel16Table MakePixel16Table(const BITMAPINFO* info, bool is565)
{
    Pixel16Table table{};
    const RGBQUAD* entries = ColorEntries(info);
    for (int i = 0; i < SearchableEntries(info); ++i)
        table.entry[i] = PackColor16(EntryColor(entries[i]), is565);
    return table;
}

DWORD Convert8To24(const CDib& image, BYTE* dst, const ConversionRows& rows)
{
    if (DWORD refused = CheckWorkerSource(image, 8, DIB_ERR_NOT_8BIT))
        return refused;
    const Bgr24Table table = MakeBgr24Table(image.GetBmpInfoAddress());
    ConvertRows(image, dst, 24,
                [&](const BYTE* src, BYTE* dstRow, int width) { rows.index8ToBgr24(src, dstRow, width, table); });
    return DIB_OK;
}

DWORD Convert8To16(const CDib& image, BYTE* dst, DWORD format, const ConversionRows& rows)
{
    if (DWORD refused = CheckWorkerSource(image, 8, DIB_ERR_NOT_8BIT))
        return refused;
    const Pixel16Table table = MakePixel16Table(image.GetBmpInfoAddress(), IsFormat565(format));
    ConvertRows(image, dst, 16,
                [&](const BYTE* src, BYTE* dstRow, int width) { rows.index8ToPixel16(src, dstRow, width, table); });
    return DIB_OK;
}

DWORD Convert16To24(const CDib& image, BYTE* dst, const ConversionRows& rows)
{
    if (DWORD refused = CheckWorkerSource(image, 16, DIB_ERR_NOT_16BIT))
        return refused;
    ConvertRows(image, dst, 24, rows.pixel16ToBgr24[LayoutIndex(IsHeader565(HeaderOf(image)))]);
    return DIB_OK;
}

DWORD Convert24To16(const CDib& image, BYTE* dst, DWORD format, const ConversionRows& rows)
{
    if (DWORD refused = CheckWorkerSource(image, 24, DIB_ERR_NOT_24BIT))
        return refused;
    ConvertRows(image, dst, 16, rows.bgr24ToPixel16[LayoutIndex(IsFormat565(format))]);
    return DIB_OK;
}

// The selector alone gives the direction: the caller has already returned when
// the image is in the requested layout.
DWORD Convert16To16(const CDib& image, BYTE* bits, DWORD format, const ConversionRows& rows)
{
    if (DWORD refused = CheckWorkerSource(image, 16, DIB_ERR_NOT_16BIT))
        return refused;
    const BITMAPINFOHEADER& header = HeaderOf(image);
    if (header.biWidth <= 0 || header.biHeight <= 0)
        return DIB_OK;
    const SwapWordsFn swap = rows.swapPixel16Layout[LayoutIndex(IsFormat565(format))];
    const int64_t stride = RowStride(header);
    if (rows.swapsPadding) {
        swap(bits, static_cast<size_t>(stride * header.biHeight / 2));
        return DIB_OK;
    }
    for (int64_t y = 0; y < header.biHeight; ++y)
        swap(StoredRow(bits, stride, y), static_cast<size_t>(header.biWidth));
    return DIB_OK;
}

// The old header with the new depth; resolution, size and planes stay.
void WriteConvertedHeader(BITMAPINFO* info, const BITMAPINFOHEADER& old, int bitCount, bool masks565)
{
    std::memcpy(info, &old, kInfoHeaderBytes);
    BITMAPINFOHEADER& header = info->bmiHeader;
    header.biBitCount = static_cast<WORD>(bitCount);
    header.biCompression = Compression565(masks565);
    header.biSizeImage = 0;
    header.biClrUsed = 0;
    header.biClrImportant = 0;
    if (masks565)
        WriteMasks565(info);
}

// A negative width or height would give a negative block (or, both negative, a
// positive one over rows that do not exist): refused like a failed allocation.
bool HasNegativeSize(const BITMAPINFOHEADER& header)
{
    return header.biWidth < 0 || header.biHeight < 0;
}

uint64_t ConvertedBlockBytes(const BITMAPINFOHEADER& header, int bitCount)
{
    return static_cast<uint64_t>(RowStride(header.biWidth, bitCount)) * static_cast<uint64_t>(header.biHeight);
}

}  // namespace

DWORD CDibEdit::Bit8To24BitPerPixel(BYTE* dst)
{
    return Convert8To24(*this, dst, PlainRows(kConversionRows));
}

DWORD CDibEdit::Bit8To24BitPerPixelMMX(BYTE* dst)
{
    return Convert8To24(*this, dst, WidestRows(kConversionRows));
}

DWORD CDibEdit::Bit8To16BitPerPixel(BYTE* dst, DWORD format)
{
    return Convert8To16(*this, dst, format, PlainRows(kConversionRows));
}

DWORD CDibEdit::Bit8To16BitPerPixelMMX(BYTE* dst, DWORD format)
{
    return Convert8To16(*this, dst, format, WidestRows(kConversionRows));
}

DWORD CDibEdit::Bit16To24BitPerPixel(BYTE* dst)
{
    return Convert16To24(*this, dst, PlainRows(kConversionRows));
}

DWORD CDibEdit::Bit16To24BitPerPixelMMX(BYTE* dst)
{
    return Convert16To24(*this, dst, WidestRows(kConversionRows));
}

DWORD CDibEdit::Bit16To16BitPerPixel(BYTE* bits, DWORD format)
{
    return Convert16To16(*this, bits, format, PlainRows(kConversionRows));
}

DWORD CDibEdit::Bit16To16BitPerPixelMMX(BYTE* bits, DWORD format)
{
    return Convert16To16(*this, bits, format, WidestRows(kConversionRows));
}

DWORD CDibEdit::Bit24To16BitPerPixel(BYTE* dst, DWORD format)
{
    return Convert24To16(*this, dst, format, PlainRows(kConversionRows));
}

DWORD CDibEdit::Bit24To16BitPerPixelMMX(BYTE* dst, DWORD format)
{
    return Convert24To16(*this, dst, format, WidestRows(kConversionRows));
}

DWORD CDibEdit::ConvertTo24BitPerPixel()
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    const BITMAPINFOHEADER& header = m_pBmpInfo->bmiHeader;
    if (header.biBitCount == 24)
        return DIB_OK;
    if (header.biBitCount != 8 && header.biBitCount != 16)
        return DIB_ERR_BAD_DEPTH;
    if (m_pBmpBits == NULL)
        return DIB_ERR_EMPTY;
    if (HasNegativeSize(header))
        return DIB_ERR_NO_MEMORY;

    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(kInfoHeaderBytes);
    if (!info)
        return DIB_ERR_NO_MEMORY;
    BlockPtr<BYTE> bits = MakeBlock(ConvertedBlockBytes(header, 24));
    if (!bits)
        return DIB_ERR_NO_MEMORY;
    if (header.biBitCount == 8) {
        if (IsMMXEnabled())
            Bit8To24BitPerPixelMMX(bits.get());
        else
            Bit8To24BitPerPixel(bits.get());
    } else {
        if (IsMMXEnabled())
            Bit16To24BitPerPixelMMX(bits.get());
        else
            Bit16To24BitPerPixel(bits.get());
    }
    WriteConvertedHeader(info.get(), header, 24, false);
    ReplaceBlocks(info.release(), bits.release());
    return DIB_OK;
}

DWORD CDibEdit::ConvertTo16BitPerPixel(DWORD format)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    const BITMAPINFOHEADER& header = m_pBmpInfo->bmiHeader;
    const bool to565 = IsFormat565(format);
    // Any selector but 5-6-5 means 5-5-5, so a 5-5-5 image is already there.
    if (header.biBitCount == 16 &&
        ((header.biCompression == BI_RGB && !to565) || (header.biCompression == BI_BITFIELDS && to565)))
        return DIB_OK;
    if (header.biBitCount != 8 && header.biBitCount != 16 && header.biBitCount != 24)
        return DIB_ERR_BAD_DEPTH;
    if (m_pBmpBits == NULL)
        return header.biBitCount == 16 ? DIB_ERR_NO_MEMORY : DIB_ERR_EMPTY;
    if (HasNegativeSize(header))
        return DIB_ERR_NO_MEMORY;

    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(kInfoHeaderBytes + (to565 ? kBitfieldMaskBytes : 0));
    if (!info)
        return DIB_ERR_NO_MEMORY;
    if (header.biBitCount == 16) {
        // In place: only the info block is new.
        if (IsMMXEnabled())
            Bit16To16BitPerPixelMMX(m_pBmpBits, format);
        else
            Bit16To16BitPerPixel(m_pBmpBits, format);
        WriteConvertedHeader(info.get(), header, 16, to565);
        FreeBlock(m_pBmpInfo);
        m_pBmpInfo = info.release();
        return DIB_OK;
    }
    BlockPtr<BYTE> bits = MakeBlock(ConvertedBlockBytes(header, 16));
    if (!bits)
        return DIB_ERR_NO_MEMORY;
    if (header.biBitCount == 8) {
        if (IsMMXEnabled())
            Bit8To16BitPerPixelMMX(bits.get(), format);
        else
            Bit8To16BitPerPixel(bits.get(), format);
    } else {
        if (IsMMXEnabled())
            Bit24To16BitPerPixelMMX(bits.get(), format);
        else
            Bit24To16BitPerPixel(bits.get(), format);
    }
    WriteConvertedHeader(info.get(), header, 16, to565);
    ReplaceBlocks(info.release(), bits.release());
    return DIB_OK;
}

namespace {

void AddNoise(BYTE& channel, int noise)
{
    channel = static_cast<BYTE>(std::min(channel + noise, 255));
}

// The C runtime's classic generator (the recurrence of the Windows one), held
// by each call: threads that dither at once cannot reseed each other's noise,
// and a seed gives the same noise on every platform.
class NoiseGenerator {
public:
    explicit NoiseGenerator(uint32_t seed) : m_state(seed) {}
    int Next()
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }

private:
    uint32_t m_state;
};

}  // namespace

// Seeded from the clock once per call, so two calls in the same second add the
// same noise; callers that need other noise space their calls.
DWORD CDibEdit::Dither24To16BitPerPixel(DWORD format)
{
    if (IsEmpty() || m_pBmpBits == NULL)
        return DIB_ERR_EMPTY;
    const BITMAPINFOHEADER& header = m_pBmpInfo->bmiHeader;
    if (header.biBitCount != 24)
        return DIB_ERR_NOT_24BIT;
    if (header.biWidth <= 0 || header.biHeight <= 0)
        return DIB_OK;
    const int greenRange = IsFormat565(format) ? 4 : 8;
    const int64_t stride = RowStride(header);
    NoiseGenerator noise(static_cast<uint32_t>(std::time(NULL)));
    for (int64_t y = 0; y < header.biHeight; ++y) {
        BYTE* pixel = StoredRow(m_pBmpBits, stride, y);
        for (int x = 0; x < header.biWidth; ++x, pixel += 3) {
            const int redNoise = noise.Next() % 8;
            const int greenNoise = noise.Next() % greenRange;
            const int blueNoise = noise.Next() % 8;
            AddNoise(pixel[2], redNoise);
            AddNoise(pixel[1], greenNoise);
            AddNoise(pixel[0], blueNoise);
        }
    }
    return DIB_OK;
}
