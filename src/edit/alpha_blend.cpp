// SPDX-License-Identifier: MIT
// Alpha blending with one weight for the whole image. 24-bit members treat the pixel
// block as one run of bytes, row padding included; 16-bit members blend the width's
// pixels of each row and leave the padding alone. Every source is checked to hold a
// picture of the receiving object's size before a pixel is read.
#include <velmoro/dib_edit.h>

#include "base/dib_layout.h"
#include "edit/alpha_blend_simd.h"
#include "base/cpu_features.h"

using namespace velmoro;

namespace {

bool HoldsPicture(const CDib& image)
{
    return !image.IsEmpty() && image.GetBmpBitsAddress() != NULL;
}

bool SameSize(const CDib& a, const CDib& b)
{
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight();
}

// The checks a member repeats before it reads: the receiving object holds a picture
// of an accepted depth, and the source holds one of the same depth and size.
DWORD CheckMember(const CDib& target, bool depthAccepted, const CDib& source)
{
    if (!HoldsPicture(target))
        return DIB_ERR_EMPTY;
    if (!depthAccepted)
        return DIB_ERR_BAD_DEPTH;
    if (!HoldsPicture(source))
        return DIB_ERR_EMPTY;
    if (source.GetBitCount() != target.GetBitCount())
        return DIB_ERR_BAD_DEPTH;
    return SameSize(source, target) ? DIB_OK : DIB_ERR_BAD_ARGUMENT;
}

DWORD CheckMember(const CDib& target, bool depthAccepted, const CDib& first, const CDib& second)
{
    const DWORD code = CheckMember(target, depthAccepted, first);
    return code != DIB_OK ? code : CheckMember(target, depthAccepted, second);
}

// The order of the public checks: emptiness, depth, compression, then size.
DWORD CheckPublic(const CDib& target, const CDib& first, const CDib* second)
{
    if (!HoldsPicture(target) || !HoldsPicture(first) || (second && !HoldsPicture(*second)))
        return DIB_ERR_EMPTY;
    const int bitCount = target.GetBitCount();
    if (first.GetBitCount() != bitCount || (second && second->GetBitCount() != bitCount) ||
        (bitCount != 16 && bitCount != 24))
        return DIB_ERR_BAD_DEPTH;
    const DWORD compression = target.GetCompression();
    if (first.GetCompression() != compression || (second && second->GetCompression() != compression))
        return DIB_ERR_COMPRESSED;
    if (!SameSize(first, target) || (second && !SameSize(*second, target)))
        return DIB_ERR_BAD_ARGUMENT;
    return DIB_OK;
}

// Rows and bytes come from the receiving object; an image with a negative or zero
// width or height has nothing to blend.
bool HasPixels(const CDib& target)
{
    return target.GetWidth() > 0 && target.GetHeight() > 0;
}

size_t BlockBytes(const CDib& target)
{
    return HasPixels(target) ? static_cast<size_t>(PixelBlockBytes(target.GetBmpInfoAddress()->bmiHeader)) : 0;
}

BlendBytesFn BytesTowardZero()
{
    return CpuHasAvx2() ? BlendBytesTowardZeroAvx2 : BlendBytesTowardZeroSse2;
}

BlendBytesFn BytesDown()
{
    return CpuHasAvx2() ? BlendBytesDownAvx2 : BlendBytesDownSse2;
}

void BlendRows16(CDib& target, const CDib& first, const CDib& second, unsigned alpha, BlendRow16Fn row)
{
    if (!HasPixels(target))
        return;
    const int64_t stride = RowStride(target.GetBmpInfoAddress()->bmiHeader);
    const bool is565 = target.GetCompression() != BI_RGB;
    const size_t width = static_cast<size_t>(target.GetWidth());
    for (int64_t y = 0; y < target.GetHeight(); ++y) {
        row(StoredRow(target.GetBmpBitsAddress(), stride, y), StoredRow(first.GetBmpBitsAddress(), stride, y),
            StoredRow(second.GetBmpBitsAddress(), stride, y), width, alpha, is565);
    }
}

}  // namespace

DWORD CDibEdit::AlphaBlend(CDibEdit& other, unsigned char alpha)
{
    const DWORD code = CheckPublic(*this, other, nullptr);
    if (code != DIB_OK)
        return code;
    // No twin at either depth: the flag is read and the same members run.
    if (GetBitCount() == 16)
        return AlphaBlend16(other, alpha);
    return AlphaBlend24(other, alpha);
}

DWORD CDibEdit::AlphaBlendDirect(CDibEdit& first, CDibEdit& second, unsigned char alpha)
{
    const DWORD code = CheckPublic(*this, first, &second);
    if (code != DIB_OK)
        return code;
    if (GetBitCount() == 16)
        return AlphaBlendDirect16(first, second, alpha);
    if (IsMMXEnabled() != 0)
        return AlphaBlendDirect24MMX(first, second, alpha);
    return AlphaBlendDirect24(first, second, alpha);
}

// The receiving object's own pixels carry the weight.
DWORD CDibEdit::AlphaBlend16(CDibEdit& other, unsigned char alpha)
{
    const DWORD code = CheckMember(*this, !IsEmpty() && GetBitCount() == 16, other);
    if (code != DIB_OK)
        return code;
    BlendRows16(*this, *this, other, alpha, CpuHasAvx2() ? BlendRow16By256Avx2 : BlendRow16By256Sse2);
    return DIB_OK;
}

DWORD CDibEdit::AlphaBlend24(CDibEdit& other, unsigned char alpha)
{
    const DWORD code = CheckMember(*this, !IsEmpty() && GetBitCount() == 24, other);
    if (code != DIB_OK)
        return code;
    BytesTowardZero()(GetBmpBitsAddress(), GetBmpBitsAddress(), other.GetBmpBitsAddress(), BlockBytes(*this), alpha);
    return DIB_OK;
}

// Divides by 255, so alpha 255 gives the first image and 0 the second.
DWORD CDibEdit::AlphaBlendDirect16(CDibEdit& first, CDibEdit& second, unsigned char alpha)
{
    const DWORD code = CheckMember(*this, !IsEmpty() && GetBitCount() == 16, first, second);
    if (code != DIB_OK)
        return code;
    BlendRows16(*this, first, second, alpha, CpuHasAvx2() ? BlendRow16By255Avx2 : BlendRow16By255Sse2);
    return DIB_OK;
}

DWORD CDibEdit::AlphaBlendDirect24(CDibEdit& first, CDibEdit& second, unsigned char alpha)
{
    const DWORD code = CheckMember(*this, !IsEmpty() && GetBitCount() >= 24, first, second);
    if (code != DIB_OK)
        return code;
    BlendBytesTowardZeroPlain(GetBmpBitsAddress(), first.GetBmpBitsAddress(), second.GetBmpBitsAddress(),
                              BlockBytes(*this), alpha);
    return DIB_OK;
}

DWORD CDibEdit::AlphaBlendDirect24MMX(CDibEdit& first, CDibEdit& second, unsigned char alpha)
{
    const DWORD code = CheckMember(*this, !IsEmpty() && GetBitCount() >= 24, first, second);
    if (code != DIB_OK)
        return code;
    BytesDown()(GetBmpBitsAddress(), first.GetBmpBitsAddress(), second.GetBmpBitsAddress(), BlockBytes(*this), alpha);
    return DIB_OK;
}
