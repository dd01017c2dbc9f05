// SPDX-License-Identifier: MIT
// Two images that one operation takes together (compose, blend, join).
#ifndef VELMORO_TOOLS_OPERANDS_H
#define VELMORO_TOOLS_OPERANDS_H

#include <velmoro/dib_edit.h>

#include <string>

namespace velmoro_tool {

// A depth as the operations tell them apart: the bit count, and at 16 bits the layout.
struct Depth {
    int bits;
    bool layout565;
    bool operator==(const Depth& other) const { return bits == other.bits && layout565 == other.layout565; }
};

Depth DepthOf(const CDib& image);

// "24 bits", "16 bits (5-6-5)", "8 bits".
std::string DepthText(const Depth& depth);

// "W x H".
std::string SizeText(const CDib& image);

// Converts the shallower of two images to the depth of the deeper, where the
// library can: 24 bits above 16, 5-6-5 above 5-5-5, 16 above 8. With `verbose`
// says on standard error which file was converted. Throws a Failure naming the
// file that cannot be converted.
void BringToOneDepth(CDibEdit& first, const std::string& firstName, CDibEdit& second,
                     const std::string& secondName, bool verbose);

// The colour that pixels of `color` in a 16-bit image of depth `before` read as
// once the image is converted to `image`'s depth, so that a key colour keeps
// meeting them; the colour as given for any other change.
DWORD ColorThroughConversion(DWORD color, const Depth& before, const CDib& image);

}  // namespace velmoro_tool

#endif
