// Crop: a rectangle of another image becomes this image.
#include <velmoro/dib_edit.h>

#include "core/blocks.h"
#include "core/dib_layout.h"
#include "edit/pixel_runs.h"

#include <algorithm>
#include <cstring>

using namespace velmoro;

namespace {

// rect: columns left..right, stored rows top..bottom, right and bottom exclusive.
void CropRows(const CDibEdit& source, int bitCount, const CRect& rect, BYTE* dst)
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
    const bool streaming = PrefersStreamingStores(static_cast<uint64_t>(dstStride * rows));
    const BYTE* first = StoredRow(source.GetBmpBitsAddress(), srcStride, rect.top) + rect.left * bytesPerPixel;
    CopyRowsPadded(dst, static_cast<size_t>(dstStride), first, static_cast<size_t>(srcStride),
                   static_cast<size_t>((rect.right - rect.left) * bytesPerPixel), static_cast<size_t>(rows),
                   streaming);
    FinishStreamingStores(streaming);
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
    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(infoBytes);
    BlockPtr<BYTE> bits = MakeBlock(static_cast<uint64_t>(pixelBytes));
    if (!info || !bits)
        return DIB_ERR_NO_MEMORY;
    std::memcpy(info.get(), source.GetBmpInfoAddress(), infoBytes);
    info->bmiHeader.biWidth = stored.Width();
    info->bmiHeader.biHeight = stored.Height();
    info->bmiHeader.biSizeImage = 0;

    switch (bitCount) {
    case 8: Crop8BitImage(source, stored, bits.get()); break;
    case 16: Crop16BitImage(source, stored, bits.get()); break;
    default: Crop24BitImage(source, stored, bits.get()); break;
    }
    ReplaceBlocks(info.release(), bits.release());
    return DIB_OK;
}

void CDibEdit::Crop8BitImage(CDibEdit& source, const CRect& rect, BYTE* dst)
{
    CropRows(source, 8, rect, dst);
}

void CDibEdit::Crop16BitImage(CDibEdit& source, const CRect& rect, BYTE* dst)
{
    CropRows(source, 16, rect, dst);
}

void CDibEdit::Crop24BitImage(CDibEdit& source, const CRect& rect, BYTE* dst)
{
    CropRows(source, 24, rect, dst);
}
