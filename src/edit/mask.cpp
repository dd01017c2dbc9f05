// SPDX-License-Identifier: MIT
// The 50 % mask: a checkerboard of one colour over 8-, 16- and 24-bit images.
#include <velmoro/dib_edit.h>

#include "base/dib_layout.h"
#include "base/pixel_layouts.h"
#include "edit/pixel_runs.h"

#include <cstring>

namespace velmoro {
namespace {

// 48 bytes hold a whole number of two-pixel periods at every depth (2, 4 or 6
// bytes) and of 16-byte vectors, so the blend below vectorises without a gather.
constexpr size_t kPatternBytes = 48;

// Which bytes of a row keep their value and which receive the colour, for rows
// whose first pixel is painted (phase 0) or kept (phase 1).
struct CheckerPattern {
    BYTE keep[kPatternBytes];
    BYTE paint[kPatternBytes];
};

CheckerPattern MakeCheckerPattern(const BYTE* pixel, size_t bytesPerPixel, size_t firstPainted)
{
    CheckerPattern pattern{};
    for (size_t i = 0; i < kPatternBytes; ++i) {
        const bool painted = (i / bytesPerPixel) % 2 == firstPainted;
        pattern.keep[i] = painted ? 0x00 : 0xFF;
        pattern.paint[i] = painted ? pixel[i % bytesPerPixel] : 0x00;
    }
    return pattern;
}

void BlendCheckerRow(BYTE* row, size_t bytes, const CheckerPattern& pattern)
{
    for (; bytes >= kPatternBytes; bytes -= kPatternBytes, row += kPatternBytes) {
        for (size_t i = 0; i < kPatternBytes; ++i)
            row[i] = static_cast<BYTE>((row[i] & pattern.keep[i]) | pattern.paint[i]);
    }
    for (size_t i = 0; i < bytes; ++i)
        row[i] = static_cast<BYTE>((row[i] & pattern.keep[i]) | pattern.paint[i]);
}

// The pattern is anchored at the top-left pixel: picture row y (stored row
// height - 1 - y) paints the pixels whose x + y has the parity the phase asks for.
void PaintChecker(const BITMAPINFOHEADER& header, BYTE* bits, const BYTE* pixel, size_t bytesPerPixel,
                  int phase)
{
    if (header.biWidth <= 0 || header.biHeight <= 0)
        return;
    const size_t stride = static_cast<size_t>(RowStride(header));
    const size_t pixelBytes = static_cast<size_t>(header.biWidth) * bytesPerPixel;
    const size_t paintedParity = phase != 0 ? 1 : 0;
    const CheckerPattern patterns[2] = {MakeCheckerPattern(pixel, bytesPerPixel, 0),
                                        MakeCheckerPattern(pixel, bytesPerPixel, 1)};
    for (size_t storedRow = 0; storedRow < static_cast<size_t>(header.biHeight); ++storedRow) {
        const size_t y = static_cast<size_t>(header.biHeight) - 1 - storedRow;
        BYTE* row = StoredRow(bits, static_cast<int64_t>(stride), static_cast<int64_t>(storedRow));
        BlendCheckerRow(row, pixelBytes, patterns[(y + paintedParity) % 2]);
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
    velmoro::PaintChecker(m_pBmpInfo->bmiHeader, m_pBmpBits, &index, 1, phase);
    return DIB_OK;
}

DWORD CDibEdit::Mask16BitImage50(DWORD color, int phase)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetBitCount() != 16)
        return DIB_ERR_NOT_16BIT;
    BYTE pixel[2];
    velmoro::StoreWord(pixel, velmoro::PackColor16(color, velmoro::IsHeader565(m_pBmpInfo->bmiHeader)));
    velmoro::PaintChecker(m_pBmpInfo->bmiHeader, m_pBmpBits, pixel, 2, phase);
    return DIB_OK;
}

DWORD CDibEdit::Mask24BitImage50(DWORD color, int phase)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetBitCount() != 24)
        return DIB_ERR_NOT_24BIT;
    const BYTE pixel[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
    velmoro::PaintChecker(m_pBmpInfo->bmiHeader, m_pBmpBits, pixel, 3, phase);
    return DIB_OK;
}
