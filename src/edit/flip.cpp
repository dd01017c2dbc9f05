// SPDX-License-Identifier: MIT
// Flips in place: rows exchanged top to bottom, pixels exchanged left to right.
#include <velmoro/dib_edit.h>

#include "base/dib_layout.h"
#include "edit/flip_rows.h"
#include "edit/pixel_runs.h"
#include "edit/row_tables.h"

#include <cstring>
#include <utility>

using namespace velmoro;

namespace {

// Exchanges pixel first with pixel last, and so on inward; a middle pixel stays.
template <size_t PixelBytes>
void MirrorPixels(BYTE* row, size_t first, size_t last)
{
    BYTE* left = row + first * PixelBytes;
    BYTE* right = row + last * PixelBytes;
    for (; left < right; left += PixelBytes, right -= PixelBytes) {
        BYTE held[PixelBytes];
        std::memcpy(held, left, PixelBytes);
        std::memcpy(left, right, PixelBytes);
        std::memcpy(right, held, PixelBytes);
    }
}

// Words first, then single bytes.
void SwapBytes(BYTE* first, BYTE* second, size_t bytes)
{
    size_t done = 0;
    for (; done + 8 <= bytes; done += 8) {
        uint64_t a, b;
        std::memcpy(&a, first + done, 8);
        std::memcpy(&b, second + done, 8);
        std::memcpy(first + done, &b, 8);
        std::memcpy(second + done, &a, 8);
    }
    for (; done < bytes; ++done)
        std::swap(first[done], second[done]);
}

template <size_t PixelBytes>
size_t MirrorRowPlain(BYTE* row, size_t width)
{
    MirrorPixels<PixelBytes>(row, 0, width - 1);
    return (width + 1) / 2;
}

size_t SwapRowsPlain(BYTE* first, BYTE* second, size_t bytes)
{
    SwapBytes(first, second, bytes);
    return bytes;
}

struct FlipRows {
    MirrorRowFn mirror[3];  // by pixel size: 1, 2 and 3 bytes
    SwapRowsFn swap;
};

constexpr FlipRows kPlainRows = {{&MirrorRowPlain<1>, &MirrorRowPlain<2>, &MirrorRowPlain<3>}, &SwapRowsPlain};

#if VELMORO_X86
// Reversing a block of pixels takes a byte shuffle, which SSE2 lacks.
constexpr FlipRows kSse2Rows = {{&MirrorRowPlain<1>, &MirrorRowPlain<2>, &MirrorRowPlain<3>}, &SwapBytesSse2};
constexpr FlipRows kSsse3Rows = {{&MirrorBytesSsse3, &MirrorWordsSsse3, &MirrorTriplesSsse3}, &SwapBytesSse2};
// Three-byte pixels do not divide a 32-byte block; they keep the 16-byte shuffles.
constexpr FlipRows kAvx2Rows = {{&MirrorBytesAvx2, &MirrorWordsAvx2, &MirrorTriplesSsse3}, &SwapBytesAvx2};
#endif

// The flips have no twin: the widest rows run whatever the flag says and give
// exactly the plain rows' bytes.
constexpr RowLadder<FlipRows> kFlipRows = VELMORO_ROW_LADDER(&kPlainRows, &kSse2Rows, &kSsse3Rows, &kAvx2Rows);

template <size_t PixelBytes>
void MirrorRows(BYTE* bits, size_t stride, size_t width, size_t height)
{
    const MirrorRowFn mirrorRow = WidestRows(kFlipRows).mirror[PixelBytes - 1];
    for (size_t r = 0; r < height; ++r) {
        BYTE* row = bits + r * stride;
        const size_t placed = mirrorRow(row, width);
        if (width > 2 * placed)
            MirrorPixels<PixelBytes>(row, placed, width - 1 - placed);
    }
}

}  // namespace

// Rows are exchanged in place through registers, so the flip needs no memory.
DWORD CDibEdit::InvertDibVert()
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (!IsEditableDepth(GetBitCount()))
        return DIB_ERR_BAD_DEPTH;
    const int64_t stride = RowStride(m_pBmpInfo->bmiHeader);
    if (stride <= 0)
        return DIB_OK;
    const SwapRowsFn swapRows = WidestRows(kFlipRows).swap;
    for (int64_t lower = 0, upper = GetHeight() - 1; lower < upper; ++lower, --upper) {
        BYTE* lowerRow = StoredRow(m_pBmpBits, stride, lower);
        BYTE* upperRow = StoredRow(m_pBmpBits, stride, upper);
        const size_t swapped = swapRows(lowerRow, upperRow, static_cast<size_t>(stride));
        SwapBytes(lowerRow + swapped, upperRow + swapped, static_cast<size_t>(stride) - swapped);
    }
    return DIB_OK;
}

DWORD CDibEdit::InvertDibHorz()
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (!IsEditableDepth(GetBitCount()))
        return DIB_ERR_BAD_DEPTH;
    const int64_t width = GetWidth();
    const int64_t height = GetHeight();
    if (width <= 0 || height <= 0)
        return DIB_OK;
    const size_t stride = static_cast<size_t>(RowStride(m_pBmpInfo->bmiHeader));
    switch (GetBitCount()) {
    case 8: MirrorRows<1>(m_pBmpBits, stride, static_cast<size_t>(width), static_cast<size_t>(height)); break;
    case 16: MirrorRows<2>(m_pBmpBits, stride, static_cast<size_t>(width), static_cast<size_t>(height)); break;
    default: MirrorRows<3>(m_pBmpBits, stride, static_cast<size_t>(width), static_cast<size_t>(height)); break;
    }
    return DIB_OK;
}
