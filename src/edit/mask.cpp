// SPDX-License-Identifier: MIT
// The 50 % mask: a checkerboard of one colour over 8-, 16- and 24-bit images.
#include <velmoro/dib_edit.h>

#include "base/dib_layout.h"
#include "base/pixel_layouts.h"
#include "edit/pixel_runs.h"

#include <cstring>

namespace velmoro {
namespace {

// The pattern is anchored at the top-left pixel: picture row y (stored row
// height - 1 - y) paints the pixels whose x + y has the parity the phase asks for.
void PaintChecker(const BITMAPINFOHEADER& header, BYTE* bits, const StoredPixel& pixel, int phase)
{
    if (header.biWidth <= 0 || header.biHeight <= 0)
        return;
    const size_t stride = static_cast<size_t>(RowStride(header));
    const size_t pixelBytes = static_cast<size_t>(header.biWidth) * pixel.size;
    const size_t paintedParity = phase != 0 ? 1 : 0;
    // For rows whose first pixel is painted, and for rows whose first pixel is kept.
    const PixelPattern patterns[2] = {MakePixelPattern(pixel, [](size_t n) { return n % 2 != 0; }),
                                      MakePixelPattern(pixel, [](size_t n) { return n % 2 == 0; })};
    for (size_t storedRow = 0; storedRow < static_cast<size_t>(header.biHeight); ++storedRow) {
        const size_t y = static_cast<size_t>(header.biHeight) - 1 - storedRow;
        BYTE* row = StoredRow(bits, static_cast<int64_t>(stride), static_cast<int64_t>(storedRow));
        MergePixelPattern(row, row, pixelBytes, patterns[(y + paintedParity) % 2]);
        std::memset(row + pixelBytes, 0, stride - pixelBytes);
    }
}

}  // namespace
}  // namespace velmoro

DWORD CDibEdit::MaskImage50(DWORD color, int phase)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    switch (GetBitCount()) {
    case 8: return Mask8BitImage50(color, phase);
    case 16: return Mask16BitImage50(color, phase);
    case 24: return Mask24BitImage50(color, phase);
    default: return DIB_ERR_BAD_DEPTH;
    }
}

DWORD CDibEdit::Mask8BitImage50(DWORD color, int phase)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetBitCount() != 8)
        return DIB_ERR_NOT_8BIT;
    const BYTE index = static_cast<BYTE>(GetColorTableIndex(velmoro::ColorEntries(m_pBmpInfo), color,
                                                            velmoro::SearchableEntries(m_pBmpInfo)));
    velmoro::PaintChecker(m_pBmpInfo->bmiHeader, m_pBmpBits, velmoro::IndexPixel(index), phase);
    return DIB_OK;
}

DWORD CDibEdit::Mask16BitImage50(DWORD color, int phase)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetBitCount() != 16)
        return DIB_ERR_NOT_16BIT;
    velmoro::PaintChecker(m_pBmpInfo->bmiHeader, m_pBmpBits, velmoro::DirectFillPixel(m_pBmpInfo->bmiHeader, color),
                          phase);
    return DIB_OK;
}

DWORD CDibEdit::Mask24BitImage50(DWORD color, int phase)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetBitCount() != 24)
        return DIB_ERR_NOT_24BIT;
    velmoro::PaintChecker(m_pBmpInfo->bmiHeader, m_pBmpBits, velmoro::BgrPixel(color), phase);
    return DIB_OK;
}
