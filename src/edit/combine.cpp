// SPDX-License-Identifier: MIT
// Colour-key compositing: clipping of the caller's point and rectangle, the key in
// pixel form per depth, and one row loop shared by every worker, which differ only in
// the row function (plain rule or SIMD twin) and in where the result goes.
#include <velmoro/dib_edit.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "base/pixel_layouts.h"
#include "edit/combine_simd.h"
#include "edit/pixel_runs.h"
#include "edit/row_tables.h"

#include <algorithm>
#include <cstring>

using namespace velmoro;

namespace {

DWORD CheckCombineImages(const CDib& target, const CDib& overlay)
{
    if (!HoldsPicture(target) || !HoldsPicture(overlay))
        return DIB_ERR_EMPTY;
    const int bitCount = target.GetBitCount();
    if (bitCount != overlay.GetBitCount() || (bitCount != 8 && bitCount != 16 && bitCount != 24))
        return DIB_ERR_BAD_DEPTH;
    if (target.GetCompression() != overlay.GetCompression())
        return DIB_ERR_COMPRESSED;
    return DIB_OK;
}

// Clips the caller's point and source rectangle (both adjusted in place) and gives the
// two rectangles of equal size in stored rows. All arithmetic in 64 bits: the caller's
// values are arbitrary.
DWORD ClipCombineArea(const CDib& target, const CDib& overlay, CPoint* point, CRect* rect,
                      CRect& targetRect, CRect& overlayRect)
{
    // An inverted source rectangle is refused before anything of the caller's changes.
    if (rect && (rect->left > rect->right || rect->top > rect->bottom))
        return DIB_ERR_BAD_ARGUMENT;
    const int64_t targetWidth = target.GetWidth(), targetHeight = target.GetHeight();
    const int64_t overlayWidth = overlay.GetWidth(), overlayHeight = overlay.GetHeight();
    const int64_t px = point ? point->x : 0, py = point ? point->y : 0;
    if (point) {
        if (px > targetWidth || py > targetHeight)
            return DIB_ERR_BAD_POSITION;
        point->x = std::max<LONG>(point->x, 0);
        point->y = std::max<LONG>(point->y, 0);
    }
    int64_t left = 0, top = 0, right = overlayWidth, bottom = overlayHeight;
    if (rect) {
        rect->right = static_cast<LONG>(std::min<int64_t>(rect->right, overlayWidth));
        rect->bottom = static_cast<LONG>(std::min<int64_t>(rect->bottom, overlayHeight));
        // A negative point cuts off the part of the source that lies outside the target.
        if (px < 0)
            rect->left = static_cast<LONG>(std::min<int64_t>(rect->left - px, rect->right));
        if (py < 0)
            rect->top = static_cast<LONG>(std::min<int64_t>(rect->top - py, rect->bottom));
        rect->left = std::max<LONG>(rect->left, 0);
        rect->top = std::max<LONG>(rect->top, 0);
        left = rect->left, top = rect->top, right = rect->right, bottom = rect->bottom;
    }
    const int64_t destLeft = std::max<int64_t>(px, 0), destTop = std::max<int64_t>(py, 0);
    // A source cut to nothing (left beyond right) or a target without room gives no overlap.
    const int64_t width = std::max<int64_t>(0, std::min(targetWidth - destLeft, right - left));
    const int64_t height = std::max<int64_t>(0, std::min(targetHeight - destTop, bottom - top));
    if (width == 0 || height == 0) {
        targetRect = CRect();
        overlayRect = CRect();
        return DIB_OK;
    }
    const auto stored = [height](int64_t l, int64_t t, int64_t w, int64_t imageHeight) {
        const int64_t storedTop = imageHeight - (t + height);
        return CRect(static_cast<LONG>(l), static_cast<LONG>(storedTop), static_cast<LONG>(l + w),
                     static_cast<LONG>(storedTop + height));
    };
    targetRect = stored(destLeft, destTop, width, targetHeight);
    overlayRect = stored(left, top, width, overlayHeight);
    return DIB_OK;
}

uint32_t Key16(const CDib& target, DWORD keyColor)
{
    return PackColor16(keyColor, IsHeader565(target.GetBmpInfoAddress()->bmiHeader));
}

// Stored order blue, green, red, read as one little-endian value.
uint32_t Key24(DWORD keyColor)
{
    return ((keyColor >> 16) & 0xFF) | (keyColor & 0xFF00) | ((keyColor & 0xFF) << 16);
}

// One keyed row per pixel size: 1, 2 and 3 bytes.
struct CombineRows {
    KeyedRowFn keyed[3];
};

constexpr CombineRows kPlainRows = {{&CombineKeyedRowPlain<1>, &CombineKeyedRowPlain<2>, &CombineKeyedRowPlain<3>}};

#if VELMORO_X86
constexpr CombineRows kSse2Rows = {{&CombineKeyedRow8Sse2, &CombineKeyedRow16Sse2, &CombineKeyedRow24Sse2}};
// Byte shuffles serve only the three-byte pixel.
constexpr CombineRows kSsse3Rows = {{&CombineKeyedRow8Sse2, &CombineKeyedRow16Sse2, &CombineKeyedRow24Ssse3}};
constexpr CombineRows kAvx2Rows = {{&CombineKeyedRow8Avx2, &CombineKeyedRow16Avx2, &CombineKeyedRow24Avx2}};
#elif VELMORO_NEON
constexpr CombineRows kNeonRows = {{&CombineKeyedRow8Neon, &CombineKeyedRow16Neon, &CombineKeyedRow24Neon}};
#endif

// The plain members run the plain rows, their twins the widest.
constexpr RowLadder<CombineRows> kCombineRows =
    VELMORO_ROW_LADDER(&kPlainRows, &kSse2Rows, &kSsse3Rows, &kAvx2Rows, &kNeonRows);

struct CombineJob {
    BYTE* out;  // the new block, or the receiving object's own pixels
    const BYTE* base;
    const BYTE* overlay;
    int64_t baseStride;
    int64_t overlayStride;
    int64_t baseHeight;
    int bytesPerPixel;
    bool copyBase;  // three-image form: every byte of out is written
    CRect baseRect;
    CRect overlayRect;
    KeyedRowFn keyedRow;  // null: keying off, the overlay is copied opaque
    uint32_t key;
};

CombineJob MakeJob(const CDib& base, const CDib& overlay, const CRect& baseRect, const CRect& overlayRect,
                   int bUseKey, const CombineRows& rows, uint32_t key)
{
    const int bytesPerPixel = base.GetBitCount() / 8;
    CombineJob job{};
    job.base = base.GetBmpBitsAddress();
    job.overlay = overlay.GetBmpBitsAddress();
    job.baseStride = RowStride(base.GetBmpInfoAddress()->bmiHeader);
    job.overlayStride = RowStride(overlay.GetBmpInfoAddress()->bmiHeader);
    job.baseHeight = base.GetHeight();
    job.bytesPerPixel = bytesPerPixel;
    job.baseRect = baseRect;
    job.overlayRect = overlayRect;
    job.keyedRow = bUseKey == 0 ? nullptr : rows.keyed[bytesPerPixel - 1];
    job.key = key;
    return job;
}

CombineJob NewBlockJob(const CDib& base, const CDib& overlay, const CRect& baseRect, const CRect& overlayRect,
                       BYTE* newBits, int bUseKey, const CombineRows& rows, uint32_t key)
{
    CombineJob job = MakeJob(base, overlay, baseRect, overlayRect, bUseKey, rows, key);
    job.out = newBits;
    job.copyBase = true;
    return job;
}

CombineJob InPlaceJob(CDib& target, const CDib& overlay, const CRect& targetRect, const CRect& overlayRect,
                      int bUseKey, const CombineRows& rows, uint32_t key)
{
    CombineJob job = MakeJob(target, overlay, targetRect, overlayRect, bUseKey, rows, key);
    job.out = target.GetBmpBitsAddress();
    job.copyBase = false;
    return job;
}

void CompositeSpan(const CombineJob& job, BYTE* out, const BYTE* base, const BYTE* overlay, size_t count)
{
    if (job.keyedRow)
        job.keyedRow(out, base, overlay, count, job.key);
    else
        std::memcpy(out, overlay, count * job.bytesPerPixel);
}

// The overlay is the receiving object itself: each span is copied aside in chunks
// and the spans are walked away from the overlap, as memmove does, so every pixel is
// composited from the overlay as it was before the call.
void CompositeFromSelf(const CombineJob& job)
{
    constexpr size_t kChunkBytes = 4095;
    alignas(32) BYTE chunk[kChunkBytes];
    const size_t chunkPixels = kChunkBytes / job.bytesPerPixel;
    const size_t bpp = static_cast<size_t>(job.bytesPerPixel);
    const size_t width = static_cast<size_t>(job.baseRect.Width());
    const int64_t height = job.baseRect.Height();
    BYTE* firstOut = job.out + job.baseStride * job.baseRect.top + bpp * job.baseRect.left;
    const BYTE* firstIn = job.overlay + job.overlayStride * job.overlayRect.top + bpp * job.overlayRect.left;
    const bool backward = firstOut > firstIn;
    for (int64_t n = 0; n < height; ++n) {
        const int64_t j = backward ? height - 1 - n : n;
        BYTE* out = firstOut + job.baseStride * j;
        const BYTE* in = firstIn + job.overlayStride * j;
        for (size_t done = 0; done < width;) {
            const size_t count = std::min(chunkPixels, width - done);
            const size_t first = backward ? width - done - count : done;
            std::memcpy(chunk, in + bpp * first, bpp * count);
            CompositeSpan(job, out + bpp * first, out + bpp * first, chunk, count);
            done += count;
        }
    }
}

void RunCombine(const CombineJob& job)
{
    if (job.baseStride == 0)
        return;  // rows of width 0, however many, have no bytes to write
    const size_t bpp = static_cast<size_t>(job.bytesPerPixel);
    const CRect& dst = job.baseRect;
    const CRect& src = job.overlayRect;
    const size_t width = static_cast<size_t>(dst.Width());
    if (!job.copyBase && job.overlay == job.out) {
        CompositeFromSelf(job);
        return;
    }
    const size_t stride = static_cast<size_t>(job.baseStride);
    const size_t leftBytes = bpp * static_cast<size_t>(dst.left);
    const size_t rightBytes = bpp * static_cast<size_t>(dst.right);
    // Whole rows without padding, in both images alike, follow one another as one
    // span: the row function runs once over all of them, as over one long row.
    const bool rowsJoin = leftBytes == 0 && rightBytes == stride && src.left == 0 && job.overlayStride == job.baseStride;
    for (int64_t row = job.copyBase ? 0 : dst.top; row < (job.copyBase ? job.baseHeight : dst.bottom); ++row) {
        BYTE* out = StoredRow(job.out, job.baseStride, row);
        const BYTE* base = StoredRow(job.base, job.baseStride, row);
        if (row < dst.top || row >= dst.bottom) {
            std::memcpy(out, base, stride);
            continue;
        }
        const BYTE* overlay = StoredRow(job.overlay, job.overlayStride, src.top + (row - dst.top));
        if (rowsJoin) {
            CompositeSpan(job, out, base, overlay, width * static_cast<size_t>(dst.bottom - row));
            row = dst.bottom - 1;
            continue;
        }
        if (job.copyBase)
            std::memcpy(out, base, leftBytes);
        CompositeSpan(job, out + leftBytes, base + leftBytes, overlay + bpp * src.left, width);
        if (job.copyBase)
            std::memcpy(out + rightBytes, base + rightBytes, stride - rightBytes);
    }
}

}  // namespace

DWORD CDibEdit::CombineDib(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CPoint* point, CRect* rect,
                           int bUseKey)
{
    DWORD code = CheckCombineImages(base, overlay);
    if (code != DIB_OK)
        return code;
    CRect baseRect, overlayRect;
    code = ClipCombineArea(base, overlay, point, rect, baseRect, overlayRect);
    if (code != DIB_OK)
        return code;
    const BITMAPINFOHEADER& header = base.GetBmpInfoAddress()->bmiHeader;
    // A top-down or negative-width base has no block size that could be allocated.
    if (header.biWidth < 0 || header.biHeight < 0)
        return DIB_ERR_NO_MEMORY;
    const uint64_t infoBytes = InfoBlockBytes(base.GetBmpInfoAddress());
    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(infoBytes);
    if (!info)
        return DIB_ERR_NO_MEMORY;
    BlockPtr<BYTE> bits = MakeBlock(static_cast<uint64_t>(PixelBlockBytes(header)));
    if (!bits)
        return DIB_ERR_NO_MEMORY;
    std::memcpy(info.get(), base.GetBmpInfoAddress(), infoBytes);
    const bool simd = IsMMXEnabled() != 0;
    switch (header.biBitCount) {
    case 8:
        if (simd)
            Combine8BitImageMMX(base, overlay, keyColor, baseRect, overlayRect, bits.get(), bUseKey);
        else
            Combine8BitImage(base, overlay, keyColor, baseRect, overlayRect, bits.get(), bUseKey);
        break;
    case 16:
        if (simd)
            Combine16BitImageMMX(base, overlay, keyColor, baseRect, overlayRect, bits.get(), bUseKey);
        else
            Combine16BitImage(base, overlay, keyColor, baseRect, overlayRect, bits.get(), bUseKey);
        break;
    default:
        if (simd)
            Combine24BitImageMMX(base, overlay, keyColor, baseRect, overlayRect, bits.get(), bUseKey);
        else
            Combine24BitImage(base, overlay, keyColor, baseRect, overlayRect, bits.get(), bUseKey);
        break;
    }
    // Base and overlay are read completely; either may be this object.
    ReplaceBlocks(info.release(), bits.release());
    return DIB_OK;
}

DWORD CDibEdit::CombineDib(CDibEdit& overlay, DWORD keyColor, CPoint* point, CRect* rect, int bUseKey)
{
    DWORD code = CheckCombineImages(*this, overlay);
    if (code != DIB_OK)
        return code;
    CRect targetRect, overlayRect;
    code = ClipCombineArea(*this, overlay, point, rect, targetRect, overlayRect);
    if (code != DIB_OK)
        return code;
    const bool simd = IsMMXEnabled() != 0;
    switch (GetBitCount()) {
    case 8:
        if (simd)
            Combine8BitImageMMX(overlay, keyColor, targetRect, overlayRect, bUseKey);
        else
            Combine8BitImage(overlay, keyColor, targetRect, overlayRect, bUseKey);
        break;
    case 16:
        if (simd)
            Combine16BitImageMMX(overlay, keyColor, targetRect, overlayRect, bUseKey);
        else
            Combine16BitImage(overlay, keyColor, targetRect, overlayRect, bUseKey);
        break;
    default:
        if (simd)
            Combine24BitImageMMX(overlay, keyColor, targetRect, overlayRect, bUseKey);
        else
            Combine24BitImage(overlay, keyColor, targetRect, overlayRect, bUseKey);
        break;
    }
    return DIB_OK;
}

void CDibEdit::Combine8BitImage(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                                CRect& overlayRect, BYTE* newBits, int bUseKey)
{
    const int index = overlay.GetColorTableIndex(ColorEntries(overlay.GetBmpInfoAddress()), keyColor,
                                                  SearchableEntries(overlay.GetBmpInfoAddress()));
    RunCombine(NewBlockJob(base, overlay, baseRect, overlayRect, newBits, bUseKey, PlainRows(kCombineRows), index));
}

void CDibEdit::Combine8BitImageMMX(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                                   CRect& overlayRect, BYTE* newBits, int bUseKey)
{
    const int index = overlay.GetColorTableIndex(ColorEntries(overlay.GetBmpInfoAddress()), keyColor,
                                                  SearchableEntries(overlay.GetBmpInfoAddress()));
    RunCombine(NewBlockJob(base, overlay, baseRect, overlayRect, newBits, bUseKey, WidestRows(kCombineRows), index));
}

void CDibEdit::Combine16BitImage(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                                 CRect& overlayRect, BYTE* newBits, int bUseKey)
{
    RunCombine(NewBlockJob(base, overlay, baseRect, overlayRect, newBits, bUseKey, PlainRows(kCombineRows),
                           Key16(base, keyColor)));
}

void CDibEdit::Combine16BitImageMMX(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                                    CRect& overlayRect, BYTE* newBits, int bUseKey)
{
    RunCombine(NewBlockJob(base, overlay, baseRect, overlayRect, newBits, bUseKey, WidestRows(kCombineRows),
                           Key16(base, keyColor)));
}

void CDibEdit::Combine24BitImage(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                                 CRect& overlayRect, BYTE* newBits, int bUseKey)
{
    RunCombine(NewBlockJob(base, overlay, baseRect, overlayRect, newBits, bUseKey, PlainRows(kCombineRows),
                           Key24(keyColor)));
}

// Keying follows the whole 32-bit switch, as in every other worker.
void CDibEdit::Combine24BitImageMMX(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                                    CRect& overlayRect, BYTE* newBits, int bUseKey)
{
    RunCombine(NewBlockJob(base, overlay, baseRect, overlayRect, newBits, bUseKey, WidestRows(kCombineRows),
                           Key24(keyColor)));
}

void CDibEdit::Combine8BitImage(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                                int bUseKey)
{
    const int index = overlay.GetColorTableIndex(ColorEntries(overlay.GetBmpInfoAddress()), keyColor,
                                                  SearchableEntries(overlay.GetBmpInfoAddress()));
    RunCombine(InPlaceJob(*this, overlay, targetRect, overlayRect, bUseKey, PlainRows(kCombineRows), index));
}

void CDibEdit::Combine8BitImageMMX(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                                   int bUseKey)
{
    const int index = overlay.GetColorTableIndex(ColorEntries(overlay.GetBmpInfoAddress()), keyColor,
                                                  SearchableEntries(overlay.GetBmpInfoAddress()));
    RunCombine(InPlaceJob(*this, overlay, targetRect, overlayRect, bUseKey, WidestRows(kCombineRows), index));
}

void CDibEdit::Combine16BitImage(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                                 int bUseKey)
{
    RunCombine(InPlaceJob(*this, overlay, targetRect, overlayRect, bUseKey, PlainRows(kCombineRows),
                          Key16(*this, keyColor)));
}

void CDibEdit::Combine16BitImageMMX(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                                    int bUseKey)
{
    RunCombine(InPlaceJob(*this, overlay, targetRect, overlayRect, bUseKey, WidestRows(kCombineRows),
                          Key16(*this, keyColor)));
}

void CDibEdit::Combine24BitImage(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                                 int bUseKey)
{
    RunCombine(InPlaceJob(*this, overlay, targetRect, overlayRect, bUseKey, PlainRows(kCombineRows), Key24(keyColor)));
}

void CDibEdit::Combine24BitImageMMX(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                                    int bUseKey)
{
    RunCombine(InPlaceJob(*this, overlay, targetRect, overlayRect, bUseKey, WidestRows(kCombineRows), Key24(keyColor)));
}
