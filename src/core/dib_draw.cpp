// SPDX-License-Identifier: MIT
// Drawing an image, or a part of it, into a device context.
#include <velmoro/dib.h>

#include <climits>
#include <cstdint>

namespace {

bool FitsInt(int64_t value)
{
    return value >= INT_MIN && value <= INT_MAX;
}

}  // namespace

void CDib::Draw(CDC& dc, const CRect* dst, const CRect* src)
{
    if (IsEmpty())
        return;
    const int64_t height = m_pBmpInfo->bmiHeader.biHeight;
    const CRect whole(0, 0, m_pBmpInfo->bmiHeader.biWidth, m_pBmpInfo->bmiHeader.biHeight);
    const CRect& source = src ? *src : whole;
    // DIB rows count from the bottom: the source part moves to its mirrored rows.
    const int64_t flippedTop = height - source.bottom;
    const int64_t flippedBottom = height - source.top;
    const int64_t sourceWidth = int64_t{source.right} - source.left;
    const int64_t sourceHeight = flippedBottom - flippedTop;
    if (!FitsInt(flippedTop) || !FitsInt(flippedBottom) || !FitsInt(sourceWidth) || !FitsInt(sourceHeight))
        return;
    // Without a destination the flipped source rectangle is the destination too.
    const CRect target = dst ? *dst
                             : CRect(source.left, static_cast<LONG>(flippedTop), source.right,
                                     static_cast<LONG>(flippedBottom));
    const int64_t targetWidth = int64_t{target.right} - target.left;
    const int64_t targetHeight = int64_t{target.bottom} - target.top;
    if (!FitsInt(targetWidth) || !FitsInt(targetHeight))
        return;
    StretchDIBits(dc.m_hDC, target.left, target.top, static_cast<int>(targetWidth), static_cast<int>(targetHeight),
                  source.left, static_cast<int>(flippedTop), static_cast<int>(sourceWidth),
                  static_cast<int>(sourceHeight), m_pBmpBits, m_pBmpInfo, DIB_RGB_COLORS, SRCCOPY);
}
