// SPDX-License-Identifier: MIT
// Joins: a second image beside or below this one, with a band of fill colour
// where the two differ in size. This image keeps its info block (and so its
// colour table); the other image's pixels are copied as they are stored.
#include <velmoro/dib_edit.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "edit/pixel_runs.h"

#include <climits>
#include <cstring>

using namespace velmoro;

namespace {

// The stored rows of one image as a join reads them.
struct RowSource {
    const BYTE* bits;
    int64_t width;
    int64_t height;  // as in the header; may be negative only for a width of 0
    size_t stride;
    size_t rows;     // rows actually held
};

RowSource RowsOf(const BITMAPINFOHEADER& header, const BYTE* bits)
{
    const int64_t stride = RowStride(header);
    return RowSource{bits, header.biWidth, header.biHeight, static_cast<size_t>(stride > 0 ? stride : 0),
                     static_cast<size_t>(header.biHeight > 0 ? header.biHeight : 0)};
}

RowSource RowsOf(const CDib& image)
{
    return RowsOf(image.GetBmpInfoAddress()->bmiHeader, image.GetBmpBitsAddress());
}

DWORD CheckJoinDepth(const CDib& image, const CDib& other, int bitCount, DWORD wrongDepth)
{
    if (image.IsEmpty() || other.IsEmpty())
        return DIB_ERR_EMPTY;
    if (image.GetBitCount() != bitCount || other.GetBitCount() != bitCount)
        return wrongDepth;
    return DIB_OK;
}

// The result's pixel block, or NULL when its size is negative, beyond 32 bits
// or its sides do not fit the header.
BlockPtr<BYTE> MakeJoinedBlock(const RowSource& a, const RowSource& b, int64_t width, int64_t height, int bitCount)
{
    int64_t bytes = 0;
    if (a.width < 0 || b.width < 0 || width > INT32_MAX || height > INT32_MAX || height < 0 ||
        __builtin_mul_overflow(RowStride(width, bitCount), height, &bytes))
        return nullptr;
    return MakeBlock(static_cast<uint64_t>(bytes));
}

void InstallJoinedBlock(BITMAPINFOHEADER& header, BYTE*& bits, BlockPtr<BYTE> joined, int64_t width, int64_t height)
{
    FreeBlock(bits);
    bits = joined.release();
    header.biWidth = static_cast<LONG>(width);
    header.biHeight = static_cast<LONG>(height);
    header.biSizeImage = 0;
}

// Row r of one image's columns of a side-by-side result: fill for the bottom
// fillRows rows, then the image's rows. Later fill rows copy the first one's band
// (row 0, written before), with ordinary stores so that it stays in the cache.
void WriteColumnBandRow(BYTE* band, size_t dstStride, size_t r, size_t rows, const RowSource& src, size_t bandBytes,
                        const StoredPixel& fill, const RowCopier& copier)
{
    const size_t fillRows = rows - src.rows;
    BYTE* out = band + r * dstStride;
    if (r >= fillRows)
        copier.Copy(out, src.bits + (r - fillRows) * src.stride, bandBytes);
    else if (r > 0)
        copier.Copy(out, band, bandBytes);
    else
        FillPixelBytes(out, bandBytes, fill);
}

DWORD JoinHorzPixels(BITMAPINFOHEADER& header, BYTE*& bits, const CDib& other, const StoredPixel& fill)
{
    const RowSource left = RowsOf(header, bits);
    const RowSource right = RowsOf(other);
    const int64_t width = left.width + right.width;
    const int64_t height = std::max(left.height, right.height);
    BlockPtr<BYTE> joined = MakeJoinedBlock(left, right, width, height, header.biBitCount);
    if (!joined)
        return DIB_ERR_NO_MEMORY;

    const size_t stride = static_cast<size_t>(RowStride(width, header.biBitCount));
    if (stride == 0) {  // rows of width 0, however many, have no bytes to write
        InstallJoinedBlock(header, bits, std::move(joined), width, height);
        return DIB_OK;
    }
    const size_t rows = static_cast<size_t>(height);
    const size_t leftBytes = static_cast<size_t>(left.width) * fill.size;
    const size_t rowBytes = static_cast<size_t>(width) * fill.size;
    const RowCopier copier(PrefersStreamingStores(stride * rows));
    // Row by row, both images' parts: the result is written front to back, as the
    // memory's prefetchers like it best.
    for (size_t r = 0; r < rows; ++r) {
        WriteColumnBandRow(joined.get(), stride, r, rows, left, leftBytes, fill, copier);
        WriteColumnBandRow(joined.get() + leftBytes, stride, r, rows, right, rowBytes - leftBytes, fill, copier);
        ClearPadding(joined.get() + r * stride + rowBytes, stride - rowBytes);
    }
    copier.Finish();
    InstallJoinedBlock(header, bits, std::move(joined), width, height);
    return DIB_OK;
}

// One image's rows of a stacked result, left-aligned in rows of width pixels.
// An image as wide as the result is copied whole, padding included.
void WriteRowBand(BYTE* dst, size_t dstStride, size_t width, const RowSource& src, const StoredPixel& fill,
                  const RowCopier& copier)
{
    if (static_cast<size_t>(src.width) == width) {
        copier.Copy(dst, src.bits, src.rows * src.stride);
        return;
    }
    const size_t pixelBytes = static_cast<size_t>(src.width) * fill.size;
    const size_t bandBytes = width * fill.size - pixelBytes;
    for (size_t r = 0; r < src.rows; ++r) {
        BYTE* out = dst + r * dstStride;
        copier.Copy(out, src.bits + r * src.stride, pixelBytes);
        if (r == 0)
            FillPixelBytes(out + pixelBytes, bandBytes, fill);
        else
            copier.Copy(out + pixelBytes, dst + pixelBytes, bandBytes);
        ClearPadding(out + pixelBytes + bandBytes, dstStride - pixelBytes - bandBytes);
    }
}

DWORD JoinVertPixels(BITMAPINFOHEADER& header, BYTE*& bits, const CDib& other, const StoredPixel& fill)
{
    const RowSource upper = RowsOf(header, bits);
    const RowSource lower = RowsOf(other);
    const int64_t width = std::max(upper.width, lower.width);
    const int64_t height = upper.height + lower.height;
    BlockPtr<BYTE> joined = MakeJoinedBlock(upper, lower, width, height, header.biBitCount);
    if (!joined)
        return DIB_ERR_NO_MEMORY;

    const size_t stride = static_cast<size_t>(RowStride(width, header.biBitCount));
    const RowCopier copier(PrefersStreamingStores(stride * static_cast<size_t>(height)));
    WriteRowBand(joined.get(), stride, static_cast<size_t>(width), lower, fill, copier);
    WriteRowBand(joined.get() + lower.rows * stride, stride, static_cast<size_t>(width), upper, fill, copier);
    copier.Finish();
    InstallJoinedBlock(header, bits, std::move(joined), width, height);
    return DIB_OK;
}

}  // namespace

DWORD CDibEdit::JoinHorz(CDibEdit& other, DWORD fillColor)
{
    if (IsEmpty() || other.IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetCompression() != other.GetCompression())
        return DIB_ERR_COMPRESSED;
    switch (GetBitCount()) {
    case 8: return Join8BitHorz(other, fillColor);
    case 16: return Join16BitHorz(other, fillColor);
    case 24: return Join24BitHorz(other, fillColor);
    default: return DIB_ERR_BAD_DEPTH;
    }
}

DWORD CDibEdit::JoinVert(CDibEdit& other, DWORD fillColor)
{
    if (IsEmpty() || other.IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetCompression() != other.GetCompression())
        return DIB_ERR_COMPRESSED;
    switch (GetBitCount()) {
    case 8: return Join8BitVert(other, fillColor);
    case 16: return Join16BitVert(other, fillColor);
    case 24: return Join24BitVert(other, fillColor);
    default: return DIB_ERR_BAD_DEPTH;
    }
}

DWORD CDibEdit::Join8BitHorz(CDibEdit& other, DWORD fillColor)
{
    if (DWORD refused = CheckJoinDepth(*this, other, 8, DIB_ERR_NOT_8BIT))
        return refused;
    const int index = GetColorTableIndex(ColorEntries(m_pBmpInfo), fillColor, SearchableEntries(m_pBmpInfo));
    return JoinHorzPixels(m_pBmpInfo->bmiHeader, m_pBmpBits, other, IndexPixel(static_cast<BYTE>(index)));
}

DWORD CDibEdit::Join16BitHorz(CDibEdit& other, DWORD fillColor)
{
    if (DWORD refused = CheckJoinDepth(*this, other, 16, DIB_ERR_NOT_16BIT))
        return refused;
    return JoinHorzPixels(m_pBmpInfo->bmiHeader, m_pBmpBits, other, DirectFillPixel(m_pBmpInfo->bmiHeader, fillColor));
}

DWORD CDibEdit::Join24BitHorz(CDibEdit& other, DWORD fillColor)
{
    if (DWORD refused = CheckJoinDepth(*this, other, 24, DIB_ERR_NOT_24BIT))
        return refused;
    return JoinHorzPixels(m_pBmpInfo->bmiHeader, m_pBmpBits, other, BgrPixel(fillColor));
}

DWORD CDibEdit::Join8BitVert(CDibEdit& other, DWORD fillColor)
{
    if (DWORD refused = CheckJoinDepth(*this, other, 8, DIB_ERR_NOT_8BIT))
        return refused;
    const int index = GetColorTableIndex(ColorEntries(m_pBmpInfo), fillColor, SearchableEntries(m_pBmpInfo));
    return JoinVertPixels(m_pBmpInfo->bmiHeader, m_pBmpBits, other, IndexPixel(static_cast<BYTE>(index)));
}

DWORD CDibEdit::Join16BitVert(CDibEdit& other, DWORD fillColor)
{
    if (DWORD refused = CheckJoinDepth(*this, other, 16, DIB_ERR_NOT_16BIT))
        return refused;
    return JoinVertPixels(m_pBmpInfo->bmiHeader, m_pBmpBits, other, DirectFillPixel(m_pBmpInfo->bmiHeader, fillColor));
}

DWORD CDibEdit::Join24BitVert(CDibEdit& other, DWORD fillColor)
{
    if (DWORD refused = CheckJoinDepth(*this, other, 24, DIB_ERR_NOT_24BIT))
        return refused;
    return JoinVertPixels(m_pBmpInfo->bmiHeader, m_pBmpBits, other, BgrPixel(fillColor));
}
