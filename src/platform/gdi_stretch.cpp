// SPDX-License-Identifier: MIT
// StretchDIBits: nearest-neighbour copy of a DIB into a context's surface, with
// mirroring and clipping on both sides.
#include "platform/gdi_objects.h"

#include "base/dib_layout.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

using namespace velmoro;
using namespace velmoro::gdi;

namespace {

// One axis of the copy: a destination extent [start, start + extent) and the
// source extent it samples. Each destination pixel takes the source pixel under
// its centre.
struct AxisMap {
    AxisMap(int dst, int dstSize, int src, int srcSize)
        : dstStart(dstSize < 0 ? int64_t{dst} + dstSize : dst),
          dstExtent(std::abs(int64_t{dstSize})),
          srcStart(srcSize < 0 ? int64_t{src} + srcSize : src),
          srcExtent(std::abs(int64_t{srcSize})),
          mirror((dstSize < 0) != (srcSize < 0))
    {
    }

    // The source coordinate for destination coordinate d; reversed walks from the source's far end.
    int64_t Source(int64_t d, bool reversed) const
    {
        const int64_t t = ((2 * (d - dstStart) + 1) * srcExtent) / (2 * dstExtent);
        return srcStart + (reversed ? srcExtent - 1 - t : t);
    }

    int64_t dstStart;
    int64_t dstExtent;
    int64_t srcStart;
    int64_t srcExtent;
    bool mirror;
};

}  // namespace

int StretchDIBits(HDC hdc, int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc, int wSrc, int hSrc,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
    const VelmoroDeviceContext* context = FindContext(hdc);
    if (!context || !bits || !info || usage != DIB_RGB_COLORS || rop != SRCCOPY)
        return 0;
    if (wDst == 0 || hDst == 0 || wSrc == 0 || hSrc == 0)
        return 0;
    PixelFormat dibFormat;
    if (!ReadDibFormat(info, dibFormat))
        return 0;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const Bitmap& surface = *context->surface;
    const AxisMap columns(xDst, wDst, xSrc, wSrc);
    // Source rows count from the bottom, so an upright copy walks them in reverse.
    const AxisMap rows(yDst, hDst, ySrc, hSrc);
    const int linesCovered = static_cast<int>(std::min<int64_t>(rows.srcExtent, INT_MAX));

    // Destination columns on the surface whose source column lies in the DIB: one
    // interval, since the mapping is monotonic.
    int64_t xBegin = std::max<int64_t>(columns.dstStart, 0);
    int64_t xEnd = std::min<int64_t>(columns.dstStart + columns.dstExtent, surface.width);
    auto columnInside = [&](int64_t x) {
        const int64_t source = columns.Source(x, columns.mirror);
        return source >= 0 && source < header.biWidth;
    };
    while (xBegin < xEnd && !columnInside(xBegin))
        ++xBegin;
    while (xEnd > xBegin && !columnInside(xEnd - 1))
        --xEnd;
    const int64_t yBegin = std::max<int64_t>(rows.dstStart, 0);
    const int64_t yEnd = std::min<int64_t>(rows.dstStart + rows.dstExtent, surface.height);
    if (xBegin >= xEnd || yBegin >= yEnd)
        return linesCovered;

    const int64_t count = xEnd - xBegin;
    const int64_t leftSource = columns.Source(xBegin, columns.mirror);
    const int64_t rightSource = columns.Source(xEnd - 1, columns.mirror);
    const int64_t firstColumn = std::min(leftSource, rightSource);
    const int64_t span = std::max(leftSource, rightSource) - firstColumn + 1;
    // Columns copied one to one decode straight into the output row; others sample
    // a decoded source row through a table of source columns.
    const bool oneToOne = columns.srcExtent == columns.dstExtent && !columns.mirror;
    const uint64_t sampled = oneToOne ? 0 : static_cast<uint64_t>(count);
    BlockPtr<int32_t> sourceIndex = MakeBlock<int32_t>(sizeof(int32_t) * sampled);
    BlockPtr<Xrgb> sourcePixels = MakeBlock<Xrgb>(sizeof(Xrgb) * (oneToOne ? 0 : static_cast<uint64_t>(span)));
    BlockPtr<Xrgb> outputPixels = MakeBlock<Xrgb>(sizeof(Xrgb) * static_cast<uint64_t>(count));
    if (!sourceIndex || !sourcePixels || !outputPixels)
        return 0;
    for (uint64_t i = 0; i < sampled; ++i) {
        const int64_t x = xBegin + static_cast<int64_t>(i);
        sourceIndex.get()[i] = static_cast<int32_t>(columns.Source(x, columns.mirror) - firstColumn);
    }

    const PixelFormat surfaceFormat = SurfaceFormat(surface, context->palette);
    const int64_t stride = RowStride(header);
    int64_t decodedRow = -1;
    std::lock_guard<std::mutex> drawing(surface.pixelsLock);
    for (int64_t y = yBegin; y < yEnd; ++y) {
        const int64_t storedRow = rows.Source(y, !rows.mirror);
        if (storedRow < 0 || storedRow >= header.biHeight)
            continue;
        const BYTE* sourceRow = StoredRow(static_cast<const BYTE*>(bits), stride, storedRow);
        if (oneToOne) {
            DecodeRow(sourceRow, firstColumn, count, dibFormat, outputPixels.get());
        } else {
            if (storedRow != decodedRow) {
                DecodeRow(sourceRow, firstColumn, span, dibFormat, sourcePixels.get());
                decodedRow = storedRow;
            }
            for (int64_t i = 0; i < count; ++i)
                outputPixels.get()[i] = sourcePixels.get()[sourceIndex.get()[i]];
        }
        EncodeRow(outputPixels.get(), count, surfaceFormat, surface.Row(static_cast<int>(y)), xBegin);
    }
    return linesCovered;
}
