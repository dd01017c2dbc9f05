// SPDX-License-Identifier: MIT
// Alpha blending with one weight for the whole image. 24-bit members treat the pixel
// block as one run of bytes, row padding included; 16-bit members blend the width's
// pixels of each row and leave the padding alone. Every source is checked to hold a
// picture of the receiving object's size before a pixel is read.
#include <velmoro/dib_edit.h>

#include "base/dib_layout.h"
#include "base/pixel_layouts.h"
#include "edit/alpha_blend_simd.h"
#include "edit/pixel_runs.h"
#include "edit/row_tables.h"

using namespace velmoro;

namespace {

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

// Only the 24-bit direct blend has a twin, with its own rounding: its plain member
// runs the plain rows' bytesTowardZero, the twin the widest rows' bytesDown. No
// other member has a twin: they run the widest rows whatever the flag says, and
// every vector row gives exactly the bytes of the plain row in its place.
struct AlphaBlendRows {
    BlendRowFn bytesTowardZero;   // a 24-bit block as one run of bytes
    BlendRowFn bytesDown;         // the same, rounded down as the twin rounds
    BlendRowFn pixels16By256[2];  // 16-bit pixels, 5-5-5 then 5-6-5
    BlendRowFn pixels16By255[2];
};

constexpr AlphaBlendRows kPlainRows = {
    &BlendBytesTowardZeroPlain,
    &BlendBytesDownPlain,
    {&BlendRow16Plain<256, false>, &BlendRow16Plain<256, true>},
    {&BlendRow16Plain<255, false>, &BlendRow16Plain<255, true>},
};

#if VELMORO_X86
constexpr AlphaBlendRows kSse2Rows = {
    &BlendBytesTowardZeroSse2,
    &BlendBytesDownSse2,
    {&BlendRow16Sse2<256, false>, &BlendRow16Sse2<256, true>},
    {&BlendRow16Sse2<255, false>, &BlendRow16Sse2<255, true>},
};

constexpr AlphaBlendRows kAvx2Rows = {
    &BlendBytesTowardZeroAvx2,
    &BlendBytesDownAvx2,
    {&BlendRow16Avx2<256, false>, &BlendRow16Avx2<256, true>},
    {&BlendRow16Avx2<255, false>, &BlendRow16Avx2<255, true>},
};
#endif

constexpr RowLadder<AlphaBlendRows> kAlphaBlendRows = VELMORO_ROW_LADDER(&kPlainRows, &kSse2Rows, nullptr, &kAvx2Rows);

// rowByLayout: the 5-5-5 row, then the 5-6-5 one.
void BlendRows16(CDib& target, const CDib& first, const CDib& second, unsigned alpha,
                 const BlendRowFn (&rowByLayout)[2])
{
    if (!HasPixels(target))
        return;
    const BITMAPINFOHEADER& header = target.GetBmpInfoAddress()->bmiHeader;
    const int64_t stride = RowStride(header);
    const BlendRowFn row = rowByLayout[IsHeader565(header) ? 1 : 0];
    const size_t width = static_cast<size_t>(target.GetWidth());
    for (int64_t y = 0; y < target.GetHeight(); ++y) {
        row(StoredRow(target.GetBmpBitsAddress(), stride, y), StoredRow(first.GetBmpBitsAddress(), stride, y),
            StoredRow(second.GetBmpBitsAddress(), stride, y), width, alpha);
    }
}

}  // namespace

DWORD CDibEdit::AlphaBlend(CDibEdit& other, unsigned char alpha)
{
    const DWORD code = CheckPublic(*this, other, nullptr);
    if (code != DIB_OK)
        return code;
    // No twin at either depth: the same members run whatever the flag says.
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
    BlendRows16(*this, *this, other, alpha, WidestRows(kAlphaBlendRows).pixels16By256);
    return DIB_OK;
}

DWORD CDibEdit::AlphaBlend24(CDibEdit& other, unsigned char alpha)
{
    const DWORD code = CheckMember(*this, !IsEmpty() && GetBitCount() == 24, other);
    if (code != DIB_OK)
        return code;
    const BlendRowFn blend = WidestRows(kAlphaBlendRows).bytesTowardZero;
    blend(GetBmpBitsAddress(), GetBmpBitsAddress(), other.GetBmpBitsAddress(), BlockBytes(*this), alpha);
    return DIB_OK;
}

// Divides by 255, so alpha 255 gives the first image and 0 the second.
DWORD CDibEdit::AlphaBlendDirect16(CDibEdit& first, CDibEdit& second, unsigned char alpha)
{
    const DWORD code = CheckMember(*this, !IsEmpty() && GetBitCount() == 16, first, second);
    if (code != DIB_OK)
        return code;
    BlendRows16(*this, first, second, alpha, WidestRows(kAlphaBlendRows).pixels16By255);
    return DIB_OK;
}

DWORD CDibEdit::AlphaBlendDirect24(CDibEdit& first, CDibEdit& second, unsigned char alpha)
{
    const DWORD code = CheckMember(*this, !IsEmpty() && GetBitCount() >= 24, first, second);
    if (code != DIB_OK)
        return code;
    const BlendRowFn blend = PlainRows(kAlphaBlendRows).bytesTowardZero;
    blend(GetBmpBitsAddress(), first.GetBmpBitsAddress(), second.GetBmpBitsAddress(), BlockBytes(*this), alpha);
    return DIB_OK;
}

DWORD CDibEdit::AlphaBlendDirect24MMX(CDibEdit& first, CDibEdit& second, unsigned char alpha)
{
    const DWORD code = CheckMember(*this, !IsEmpty() && GetBitCount() >= 24, first, second);
    if (code != DIB_OK)
        return code;
    const BlendRowFn blend = WidestRows(kAlphaBlendRows).bytesDown;
    blend(GetBmpBitsAddress(), first.GetBmpBitsAddress(), second.GetBmpBitsAddress(), BlockBytes(*this), alpha);
    return DIB_OK;
}
