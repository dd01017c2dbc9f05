// SPDX-License-Identifier: MIT
// Interlaced copies: every second row or column of the source replaced by a
// solid line of one colour. The result goes to the receiving object, which
// may be the source itself: the source is read whole before it is replaced.
#include <velmoro/dib_edit.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "base/pixel_layouts.h"
#include "edit/pixel_runs.h"

#include <cstring>

using namespace velmoro;

namespace {

// Lines count from the top row or the left column. A nonzero phase keeps the
// even-numbered lines, phase 0 the odd-numbered ones.
bool IsKeptLine(size_t line, int phase)
{
    return ((line & 1) == 0) == (phase != 0);
}

DWORD CheckInterlaceSource(const CDib& source, int bitCount, DWORD wrongDepth)
{
    if (source.IsEmpty())
        return DIB_ERR_EMPTY;
    return source.GetBitCount() == bitCount ? DIB_OK : wrongDepth;
}

// The receiving object's next blocks: the source's whole info block (header,
// masks and colour table at every depth, so that the header never promises
// entries the block lacks) and room for the source's pixels.
struct InterlacedImage {
    BlockPtr<BITMAPINFO> info;
    BlockPtr<BYTE> bits;
    size_t stride = 0;
    size_t rowBytes = 0;
    size_t rows = 0;
};

InterlacedImage StartInterlacedImage(const CDib& source)
{
    InterlacedImage image;
    const BITMAPINFOHEADER& header = source.GetBmpInfoAddress()->bmiHeader;
    const int64_t pixelBytes = PixelBlockBytes(header);
    if (header.biWidth < 0 || pixelBytes < 0)
        return image;
    const uint64_t infoBytes = InfoBlockBytes(source.GetBmpInfoAddress());
    image.info = MakeBlock<BITMAPINFO>(infoBytes);
    image.bits = MakeBlock(static_cast<uint64_t>(pixelBytes));
    if (!image.info || !image.bits)
        return InterlacedImage{};
    std::memcpy(image.info.get(), source.GetBmpInfoAddress(), infoBytes);
    image.stride = static_cast<size_t>(RowStride(header));
    image.rowBytes = static_cast<size_t>(header.biWidth) * (header.biBitCount / 8);
    // Rows of width 0, however many, have no bytes to write.
    image.rows = header.biHeight > 0 && image.stride > 0 ? static_cast<size_t>(header.biHeight) : 0;
    return image;
}

// Kept rows are copied whole, padding included. The first filled row comes
// from the depth's scan-line writer; the later ones, byte for byte what the
// writer would give, are copies of it.
template <class FillRow>
void KeepOrFillRows(const CDib& source, InterlacedImage& image, int phase, FillRow fillRow)
{
    const BYTE* src = source.GetBmpBitsAddress();
    BYTE* dst = image.bits.get();
    const RowCopier copier(PrefersStreamingStores(image.stride * image.rows));
    const BYTE* filledRow = nullptr;
    for (size_t r = 0; r < image.rows; ++r) {
        BYTE* out = dst + r * image.stride;
        if (IsKeptLine(image.rows - 1 - r, phase)) {
            copier.Copy(out, src + r * image.stride, image.stride);
        } else if (filledRow) {
            copier.Copy(out, filledRow, image.stride);
        } else {
            fillRow(out, static_cast<DWORD>(image.rowBytes), static_cast<DWORD>(image.stride - image.rowBytes));
            filledRow = out;
        }
    }
    copier.Finish();
}

// Every row is built the same way; its padding becomes 0.
void KeepOrFillColumns(const CDib& source, InterlacedImage& image, int phase, const StoredPixel& fill)
{
    // Kept columns pass the source through, filled ones take the fill pixel.
    const PixelPattern pattern = MakePixelPattern(fill, [phase](size_t column) { return IsKeptLine(column, phase); });
    for (size_t r = 0; r < image.rows; ++r) {
        BYTE* out = image.bits.get() + r * image.stride;
        MergePixelPattern(source.GetBmpBitsAddress() + r * image.stride, out, image.rowBytes, pattern);
        ClearPadding(out + image.rowBytes, image.stride - image.rowBytes);
    }
}

}  // namespace

DWORD CDibEdit::CreateHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor)
{
    if (source.IsEmpty())
        return DIB_ERR_EMPTY;
    switch (source.GetBitCount()) {
    case 8: return Create8BitHorzInterlaceFrom(source, phase, fillColor);
    case 16: return Create16BitHorzInterlaceFrom(source, phase, fillColor);
    case 24: return Create24BitHorzInterlaceFrom(source, phase, fillColor);
    default: return DIB_ERR_BAD_DEPTH;
    }
}

DWORD CDibEdit::CreateVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor)
{
    if (source.IsEmpty())
        return DIB_ERR_EMPTY;
    switch (source.GetBitCount()) {
    case 8: return Create8BitVertInterlaceFrom(source, phase, fillColor);
    case 16: return Create16BitVertInterlaceFrom(source, phase, fillColor);
    case 24: return Create24BitVertInterlaceFrom(source, phase, fillColor);
    default: return DIB_ERR_BAD_DEPTH;
    }
}

DWORD CDibEdit::Create8BitHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor)
{
    if (DWORD refused = CheckInterlaceSource(source, 8, DIB_ERR_NOT_8BIT))
        return refused;
    InterlacedImage image = StartInterlacedImage(source);
    if (!image.bits)
        return DIB_ERR_NO_MEMORY;
    const BITMAPINFO* info = source.GetBmpInfoAddress();
    const BYTE index = static_cast<BYTE>(GetColorTableIndex(ColorEntries(info), fillColor, SearchableEntries(info)));
    KeepOrFillRows(source, image, phase,
                   [&](BYTE* row, DWORD bytes, DWORD pad) { FillIndexScanLine(row, bytes, pad, index); });
    ReplaceBlocks(image.info.release(), image.bits.release());
    return DIB_OK;
}

DWORD CDibEdit::Create16BitHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor)
{
    if (DWORD refused = CheckInterlaceSource(source, 16, DIB_ERR_NOT_16BIT))
        return refused;
    InterlacedImage image = StartInterlacedImage(source);
    if (!image.bits)
        return DIB_ERR_NO_MEMORY;
    const DWORD format = IsHeader565(source.GetBmpInfoAddress()->bmiHeader) ? DIB_FORMAT_565 : DIB_FORMAT_555;
    KeepOrFillRows(source, image, phase, [&](BYTE* row, DWORD bytes, DWORD pad) {
        FillRGB16ScanLine(row, bytes, pad, fillColor, format);
    });
    ReplaceBlocks(image.info.release(), image.bits.release());
    return DIB_OK;
}

DWORD CDibEdit::Create24BitHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor)
{
    if (DWORD refused = CheckInterlaceSource(source, 24, DIB_ERR_NOT_24BIT))
        return refused;
    InterlacedImage image = StartInterlacedImage(source);
    if (!image.bits)
        return DIB_ERR_NO_MEMORY;
    KeepOrFillRows(source, image, phase,
                   [&](BYTE* row, DWORD bytes, DWORD pad) { FillRGBScanLine(row, bytes, pad, fillColor); });
    ReplaceBlocks(image.info.release(), image.bits.release());
    return DIB_OK;
}

DWORD CDibEdit::Create8BitVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor)
{
    if (DWORD refused = CheckInterlaceSource(source, 8, DIB_ERR_NOT_8BIT))
        return refused;
    InterlacedImage image = StartInterlacedImage(source);
    if (!image.bits)
        return DIB_ERR_NO_MEMORY;
    const BITMAPINFO* info = source.GetBmpInfoAddress();
    const int index = GetColorTableIndex(ColorEntries(info), fillColor, SearchableEntries(info));
    KeepOrFillColumns(source, image, phase, IndexPixel(static_cast<BYTE>(index)));
    ReplaceBlocks(image.info.release(), image.bits.release());
    return DIB_OK;
}

DWORD CDibEdit::Create16BitVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor)
{
    if (DWORD refused = CheckInterlaceSource(source, 16, DIB_ERR_NOT_16BIT))
        return refused;
    InterlacedImage image = StartInterlacedImage(source);
    if (!image.bits)
        return DIB_ERR_NO_MEMORY;
    KeepOrFillColumns(source, image, phase, DirectFillPixel(source.GetBmpInfoAddress()->bmiHeader, fillColor));
    ReplaceBlocks(image.info.release(), image.bits.release());
    return DIB_OK;
}

DWORD CDibEdit::Create24BitVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor)
{
    if (DWORD refused = CheckInterlaceSource(source, 24, DIB_ERR_NOT_24BIT))
        return refused;
    InterlacedImage image = StartInterlacedImage(source);
    if (!image.bits)
        return DIB_ERR_NO_MEMORY;
    KeepOrFillColumns(source, image, phase, BgrPixel(fillColor));
    ReplaceBlocks(image.info.release(), image.bits.release());
    return DIB_OK;
}

void CDibEdit::FillIndexScanLine(BYTE* row, DWORD count, DWORD pad, BYTE index)
{
    FillPixelBytes(row, count, IndexPixel(index));
    ClearPadding(row + count, pad);
}

void CDibEdit::FillRGB16ScanLine(BYTE* row, DWORD bytes, DWORD pad, DWORD color, DWORD format)
{
    FillPixelBytes(row, bytes, WordPixel(PackColor16(color, IsFormat565(format))));
    ClearPadding(row + bytes, pad);
}

void CDibEdit::FillRGBScanLine(BYTE* row, DWORD bytes, DWORD pad, DWORD color)
{
    FillPixelBytes(row, bytes, BgrPixel(color));
    ClearPadding(row + bytes, pad);
}
