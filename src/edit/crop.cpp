// SPDX-License-Identifier: MIT
// Crop: a rectangle of another image becomes this image.
#include <velmoro/dib_edit.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "edit/pixel_runs.h"

#include <algorithm>
#include <cstring>

using namespace velmoro;

namespace {

// rect: columns left..right, stored rows top..bottom, right and bottom exclusive.
// A large new block is written with streaming stores; a block the image already
// held was in use a moment ago, is likely cached, and takes ordinary stores.
void CropRows(const CDibEdit& source, int bitCount, const CRect& rect, BYTE* dst, bool heldBlock)
{
    if (source.IsEmpty() || source.GetBitCount() != bitCount)
        return;
    const int64_t width = source.GetWidth();
    const int64_t height = source.GetHeight();
    if (rect.left < 0 || rect.top < 0 || rect.right > width || rect.bottom > height || rect.left >= rect.right ||
        rect.top >= rect.bottom)
        return;
    const int64_t srcStride = RowStride(width, bitCount);
    const int64_t dstStride = RowStride(rect.right - rect.left, bitCount);
    const int64_t bytesPerPixel = bitCount / 8;
    const int64_t rows = rect.bottom - rect.top;
    const RowCopier copier(!heldBlock && PrefersStreamingStores(static_cast<uint64_t>(dstStride * rows)));
    const BYTE* first = StoredRow(source.GetBmpBitsAddress(), srcStride, rect.top) + rect.left * bytesPerPixel;
    CopyRowsPadded(dst, static_cast<size_t>(dstStride), first, static_cast<size_t>(srcStride),
                   static_cast<size_t>((rect.right - rect.left) * bytesPerPixel), static_cast<size_t>(rows),
                   copier);
    copier.Finish();
}

// Whether the image holds a pixel block of exactly this many bytes.
bool HoldsPixelBlockOf(const BITMAPINFO* info, const BYTE* bits, int64_t bytes)
{
    if (info == NULL || bits == NULL || !IsWindowsHeader(HeaderOf(info)))
        return false;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    return header.biWidth > 0 && header.biHeight > 0 && PixelBlockBytes(header) == bytes;
}

}  // namespace

DWORD CDibEdit::CropFrom(CDibEdit& source, CRect* rect)
{
    if (source.IsEmpty())
        return DIB_ERR_EMPTY;
    const int bitCount = source.GetBitCount();
    if (!IsEditableDepth(bitCount))
        return DIB_ERR_BAD_DEPTH;
    if (rect == NULL)
        return CopyDib(source);

    const LONG width = source.GetWidth();
    const LONG height = source.GetHeight();
    const LONG left = std::max<LONG>(rect->left, 0);
    const LONG top = std::max<LONG>(rect->top, 0);
    const LONG right = std::min<LONG>(rect->right, width);
    const LONG bottom = std::min<LONG>(rect->bottom, height);
    // Nothing of the source is left to become this image.
    if (right <= left || bottom <= top)
        return DIB_ERR_OUT_OF_IMAGE;
    if (right - left == width && bottom - top == height)
        return CopyDib(source);
    const CRect stored(left, height - bottom, right, height - top);

    const uint64_t infoBytes = InfoBlockBytes(source.GetBmpInfoAddress());
    const int64_t pixelBytes = RowStride(stored.Width(), bitCount) * stored.Height();
    // A crop to the size this image already has (a view moved over a larger
    // picture, frame after frame) is written into the pixel block it holds,
    // which saves an allocation and writes memory that is likely cached. A crop
    // of this image itself reads that block, so it always gets a new one.
    const bool reuseBits = this != &source && HoldsPixelBlockOf(m_pBmpInfo, m_pBmpBits, pixelBytes);
    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(infoBytes);
    if (!info)
        return DIB_ERR_NO_MEMORY;
    BlockPtr<BYTE> newBits;
    if (!reuseBits) {
        newBits = MakeBlock(static_cast<uint64_t>(pixelBytes));
        if (!newBits)
            return DIB_ERR_NO_MEMORY;
    }
    BYTE* const bits = reuseBits ? m_pBmpBits : newBits.get();
    std::memcpy(info.get(), source.GetBmpInfoAddress(), infoBytes);
    info->bmiHeader.biWidth = stored.Width();
    info->bmiHeader.biHeight = stored.Height();
    info->bmiHeader.biSizeImage = 0;

    switch (bitCount) {
    case 8: Crop8BitImage(source, stored, bits); break;
    case 16: Crop16BitImage(source, stored, bits); break;
    default: Crop24BitImage(source, stored, bits); break;
    }
    if (reuseBits) {
        FreeBlock(m_pBmpInfo);
        m_pBmpInfo = info.release();
    } else {
        ReplaceBlocks(info.release(), newBits.release());
    }
    return DIB_OK;
}

void CDibEdit::Crop8BitImage(CDibEdit& source, const CRect& rect, BYTE* dst)
{
    CropRows(source, 8, rect, dst, dst == m_pBmpBits);
}

void CDibEdit::Crop16BitImage(CDibEdit& source, const CRect& rect, BYTE* dst)
{
    CropRows(source, 16, rect, dst, dst == m_pBmpBits);
}

void CDibEdit::Crop24BitImage(CDibEdit& source, const CRect& rect, BYTE* dst)
{
    CropRows(source, 24, rect, dst, dst == m_pBmpBits);
}
