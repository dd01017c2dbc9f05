// SPDX-License-Identifier: MIT
#include "operands.h"

#include "command.h"

namespace velmoro_tool {
namespace {

// Orders depths by what they can hold: each bit counts twice, 5-6-5 once more.
int Rank(const Depth& depth)
{
    return 2 * depth.bits + (depth.layout565 ? 1 : 0);
}

DWORD FormatOf(const Depth& depth)
{
    return depth.layout565 ? DIB_FORMAT_565 : DIB_FORMAT_555;
}

// Converts `image` to `depth`; DIB_ERR_BAD_DEPTH where the library has no such
// conversion.
DWORD ConvertTo(CDibEdit& image, const Depth& depth)
{
    switch (depth.bits) {
    case 24: return image.ConvertTo24BitPerPixel();
    case 16: return image.ConvertTo16BitPerPixel(FormatOf(depth));
    default: return DIB_ERR_BAD_DEPTH;
    }
}

}  // namespace

Depth DepthOf(const CDib& image)
{
    const int bits = image.GetBitCount();
    return {bits, bits == 16 && image.GetCompression() == BI_BITFIELDS};
}

std::string DepthText(const Depth& depth)
{
    const std::string bits = Counted(static_cast<unsigned>(depth.bits), "bit");
    if (depth.bits != 16)
        return bits;
    return bits + (depth.layout565 ? " (5-6-5)" : " (5-5-5)");
}

std::string SizeText(const CDib& image)
{
    return std::to_string(image.GetWidth()) + " x " + std::to_string(image.GetHeight());
}

void BringToOneDepth(CDibEdit& first, const std::string& firstName, CDibEdit& second,
                     const std::string& secondName, bool verbose)
{
    const Depth firstDepth = DepthOf(first), secondDepth = DepthOf(second);
    if (first.IsEmpty() || second.IsEmpty() || firstDepth == secondDepth)
        return;
    const bool firstIsDeeper = Rank(firstDepth) > Rank(secondDepth);
    const Depth& deeper = firstIsDeeper ? firstDepth : secondDepth;
    const Depth& shallower = firstIsDeeper ? secondDepth : firstDepth;
    // An 8-bit image and a 1- or 4-bit one: there is no conversion between
    // palette depths, and the operation says which depths it refuses.
    if (deeper.bits < 16)
        return;
    const std::string& shallowerName = firstIsDeeper ? secondName : firstName;
    const std::string to = DepthText(deeper) + ", the depth of " + (firstIsDeeper ? firstName : secondName);
    if (ConvertTo(firstIsDeeper ? second : first, deeper) != DIB_OK)
        throw Failure(shallowerName, DepthText(shallower) + " cannot be converted to " + to);
    if (verbose)
        Note(shallowerName + ": converted from " + DepthText(shallower) + " to " + to);
}

DWORD ColorThroughConversion(DWORD color, const Depth& before, const CDib& image)
{
    const Depth after = DepthOf(image);
    if (before.bits != 16 || before == after)
        return color;
    // One pixel of that colour goes the way the image went.
    CDibEdit probe;
    DWORD converted = color;
    if (probe.Create(1, 1, 16, color, FormatOf(before)) != DIB_OK || ConvertTo(probe, after) != DIB_OK ||
        probe.GetColorFromPoint(CPoint(0, 0), &converted) != DIB_OK)
        return color;
    return converted;
}

}  // namespace velmoro_tool
