// SPDX-License-Identifier: MIT
// The colour of one pixel, in the 0x00BBGGRR form colours are passed in.
#include <velmoro/dib_edit.h>

#include "base/dib_layout.h"
#include "base/pixel_layouts.h"

namespace velmoro {
namespace {

bool HoldsPoint(const BITMAPINFOHEADER& header, CPoint point)
{
    return point.x >= 0 && point.x < header.biWidth && point.y >= 0 && point.y < header.biHeight;
}

const BYTE* PixelAt(const BITMAPINFOHEADER& header, const BYTE* bits, CPoint storedPoint)
{
    return StoredRow(bits, RowStride(header), storedPoint.y) +
           static_cast<int64_t>(storedPoint.x) * header.biBitCount / 8;
}

DWORD ColorOf(const Bgr& pixel)
{
    return RGB(pixel.red, pixel.green, pixel.blue);
}

}  // namespace
}  // namespace velmoro

DWORD CDibEdit::GetColorFromPoint(CPoint point, DWORD* color)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (!velmoro::HoldsPoint(m_pBmpInfo->bmiHeader, point))
        return DIB_ERR_OUT_OF_IMAGE;
    const CPoint storedPoint(point.x, GetHeight() - 1 - point.y);
    switch (GetBitCount()) {
    case 8: return Get8BitColorFromPoint(storedPoint, color);
    case 16: return Get16BitColorFromPoint(storedPoint, color);
    case 24: return Get24BitColorFromPoint(storedPoint, color);
    default: return DIB_ERR_BAD_DEPTH;
    }
}

// An index past the colour table reads as black rather than past the block.
DWORD CDibEdit::Get8BitColorFromPoint(CPoint point, DWORD* color)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetBitCount() != 8)
        return DIB_ERR_NOT_8BIT;
    if (!velmoro::HoldsPoint(m_pBmpInfo->bmiHeader, point))
        return DIB_ERR_OUT_OF_IMAGE;
    const BYTE index = *velmoro::PixelAt(m_pBmpInfo->bmiHeader, m_pBmpBits, point);
    const bool inTable = index < velmoro::ColorEntryCount(m_pBmpInfo);
    *color = inTable ? velmoro::EntryColor(velmoro::ColorTableAddress(m_pBmpInfo)[index]) : 0;
    return DIB_OK;
}

DWORD CDibEdit::Get16BitColorFromPoint(CPoint point, DWORD* color)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetBitCount() != 16)
        return DIB_ERR_NOT_16BIT;
    if (!velmoro::HoldsPoint(m_pBmpInfo->bmiHeader, point))
        return DIB_ERR_OUT_OF_IMAGE;
    const uint16_t word = velmoro::LoadWord(velmoro::PixelAt(m_pBmpInfo->bmiHeader, m_pBmpBits, point));
    *color = velmoro::ColorOf(velmoro::ExpandPixel16(word, velmoro::IsHeader565(m_pBmpInfo->bmiHeader)));
    return DIB_OK;
}

DWORD CDibEdit::Get24BitColorFromPoint(CPoint point, DWORD* color)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetBitCount() != 24)
        return DIB_ERR_NOT_24BIT;
    if (!velmoro::HoldsPoint(m_pBmpInfo->bmiHeader, point))
        return DIB_ERR_OUT_OF_IMAGE;
    const BYTE* pixel = velmoro::PixelAt(m_pBmpInfo->bmiHeader, m_pBmpBits, point);
    *color = RGB(pixel[2], pixel[1], pixel[0]);
    return DIB_OK;
}
