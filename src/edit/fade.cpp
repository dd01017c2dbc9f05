// SPDX-License-Identifier: MIT
// Fading: a constant added to every channel of a 24-bit image, with saturation.
#include <velmoro/dib_edit.h>

#include "base/dib_layout.h"

#include <algorithm>
#include <cstdlib>

namespace velmoro {
namespace {

// Both are written as a byte minimum and a byte add or subtract that cannot
// wrap, which compiles to pminub and paddb/psubb without widening.
struct BrightenChannel {
    BYTE amount;  // 1..255
    BYTE operator()(BYTE value) const
    {
        const BYTE headroom = static_cast<BYTE>(255 - value);
        return static_cast<BYTE>(value + (amount < headroom ? amount : headroom));
    }
};

struct DarkenChannel {
    BYTE amount;  // 1..255
    BYTE operator()(BYTE value) const { return static_cast<BYTE>(value - (amount < value ? amount : value)); }
};

// Fixed-size blocks let the compiler vectorise the body without a run-time
// trip count; the short tail runs byte by byte.
template <typename ChannelOp>
void TransformChannels(BYTE* bytes, size_t count, ChannelOp op)
{
    constexpr size_t kBlockBytes = 64;
    for (; count >= kBlockBytes; count -= kBlockBytes, bytes += kBlockBytes) {
        for (size_t i = 0; i < kBlockBytes; ++i)
            bytes[i] = op(bytes[i]);
    }
    for (size_t i = 0; i < count; ++i)
        bytes[i] = op(bytes[i]);
}

// Row padding is left as it is.
template <typename ChannelOp>
void TransformPixelRows(const BITMAPINFOHEADER& header, BYTE* bits, ChannelOp op)
{
    const int64_t stride = RowStride(header);
    const size_t pixelBytes = static_cast<size_t>(header.biWidth) * 3;
    for (int64_t storedRow = 0; storedRow < header.biHeight; ++storedRow)
        TransformChannels(StoredRow(bits, stride, storedRow), pixelBytes, op);
}

}  // namespace
}  // namespace velmoro

DWORD CDibEdit::FadeDib(int amount)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetBitCount() != 24)
        return DIB_ERR_BAD_DEPTH;
    return Fade24BitDib(amount);
}

DWORD CDibEdit::Fade24BitDib(int amount)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetBitCount() != 24)
        return DIB_ERR_NOT_24BIT;
    const BITMAPINFOHEADER& header = m_pBmpInfo->bmiHeader;
    if (amount == 0 || header.biWidth <= 0 || header.biHeight <= 0)
        return DIB_OK;
    // Beyond 255 every channel saturates anyway; the clamp keeps the sums in range.
    const BYTE magnitude = static_cast<BYTE>(std::min(std::abs(static_cast<int64_t>(amount)), int64_t{255}));
    if (amount > 0)
        velmoro::TransformPixelRows(header, m_pBmpBits, velmoro::BrightenChannel{magnitude});
    else
        velmoro::TransformPixelRows(header, m_pBmpBits, velmoro::DarkenChannel{magnitude});
    return DIB_OK;
}
