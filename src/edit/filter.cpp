// SPDX-License-Identifier: MIT
// The 3 x 3 filter of a 24-bit image into a new pixel block. The first and
// last pixel of each row (missing neighbours) are done here by the plain rule;
// the interior goes to the vector rows when the kernel suits them.
#include <velmoro/dib_edit.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "edit/filter_rows.h"
#include "edit/row_tables.h"

#include <cstdlib>
#include <cstring>

namespace velmoro {
namespace {

struct FilterRows {
    FilterInteriorFn interior24;
};

constexpr FilterRows kPlainRows = {&FilterInterior24Plain};
#if VELMORO_X86
constexpr FilterRows kSse2Rows = {&FilterInterior24Sse2};
constexpr FilterRows kAvx2Rows = {&FilterInterior24Avx2};
#endif

// The filter has no twin: the widest rows run whatever the flag says and give
// exactly the plain rows' bytes, for every kernel FilterKernelFitsSimd admits.
constexpr RowLadder<FilterRows> kFilterRows = VELMORO_ROW_LADDER(&kPlainRows, &kSse2Rows, nullptr, &kAvx2Rows);

void FilterRow24(const FilterRowTaps& taps, size_t rowBytes, const FilterRows& rows, BYTE* out)
{
    constexpr size_t edge = kFilterNeighbourBytes;
    if (rowBytes == edge) {
        for (size_t i = 0; i < edge; ++i)
            out[i] = FilterChannel<false, false>(taps, i);
        return;
    }
    for (size_t i = 0; i < edge; ++i)
        out[i] = FilterChannel<false, true>(taps, i);
    rows.interior24(taps, rowBytes, out);
    for (size_t i = rowBytes - edge; i < rowBytes; ++i)
        out[i] = FilterChannel<true, false>(taps, i);
}

// Every output byte reads only the old block, so rows can go in any order.
void FilterImage24(const BITMAPINFOHEADER& header, const BYTE* source, const int* kernel, int divisor,
                   int offset, BYTE* target)
{
    if (header.biWidth <= 0 || header.biHeight <= 0)
        return;
    const int64_t stride = RowStride(header);
    const int64_t lastRow = header.biHeight - 1;
    const size_t rowBytes = static_cast<size_t>(header.biWidth) * kFilterNeighbourBytes;
    const FilterRows& rows = FilterKernelFitsSimd(kernel) ? WidestRows(kFilterRows) : PlainRows(kFilterRows);
    for (int64_t storedRow = 0; storedRow <= lastRow; ++storedRow) {
        FilterRowTaps taps{};
        std::memcpy(taps.weights, kernel, sizeof taps.weights);
        taps.divisor = divisor;
        taps.offset = offset;
        const BYTE* own = StoredRow(source, stride, storedRow);
        taps.rows[0] = storedRow > 0 ? own - stride : own;
        taps.rows[1] = own;
        taps.rows[2] = storedRow < lastRow ? own + stride : own;
        if (storedRow == 0)
            std::memset(taps.weights, 0, 3 * sizeof(int32_t));
        if (storedRow == lastRow)
            std::memset(taps.weights + 6, 0, 3 * sizeof(int32_t));
        BYTE* out = StoredRow(target, stride, storedRow);
        FilterRow24(taps, rowBytes, rows, out);
        std::memset(out + rowBytes, 0, static_cast<size_t>(stride) - rowBytes);
    }
}

}  // namespace

bool FilterKernelFitsSimd(const int32_t weights[9])
{
    int64_t magnitude = 0;
    for (int i = 0; i < 9; ++i) {
        if (weights[i] < INT16_MIN || weights[i] > INT16_MAX)
            return false;
        magnitude += std::llabs(weights[i]);
    }
    return magnitude * 255 < (int64_t{1} << 24);
}

}  // namespace velmoro

DWORD CDibEdit::FilterDib(int* kernel, int divisor, int offset)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    if (GetBitCount() != 24)
        return DIB_ERR_BAD_DEPTH;
    if (kernel == NULL || divisor == 0)
        return DIB_ERR_BAD_ARGUMENT;
    const int64_t bytes = velmoro::PixelBlockBytes(m_pBmpInfo->bmiHeader);
    if (bytes < 0)
        return DIB_ERR_NO_MEMORY;
    velmoro::BlockPtr<BYTE> filtered = velmoro::MakeBlock(static_cast<uint64_t>(bytes));
    if (!filtered)
        return DIB_ERR_NO_MEMORY;
    velmoro::FilterImage24(m_pBmpInfo->bmiHeader, m_pBmpBits, kernel, divisor, offset, filtered.get());
    // Only the pixel block changes; the info block stays where it is.
    BYTE* previous = m_pBmpBits;
    m_pBmpBits = filtered.release();
    velmoro::FreeBlock(previous);
    return DIB_OK;
}
