// SPDX-License-Identifier: MIT
// Drawing an image into a memory device context and reading the surface back,
// shared by velmoro draw and the demo.
#ifndef VELMORO_TOOLS_CANVAS_H
#define VELMORO_TOOLS_CANVAS_H

#include <velmoro/dib.h>

namespace velmoro_tool {

// Draws `image` stretched onto a new width x height 24-bit memory surface and
// gives the surface as a 24-bit image. DIB_ERR_EMPTY for an image without
// pixels, DIB_ERR_BAD_DEPTH for one the context cannot draw, DIB_ERR_BITMAP
// when the surface cannot be made, else the result of reading it back.
DWORD DrawIntoMemoryContext(CDib& image, int width, int height, CDib& drawn);

}  // namespace velmoro_tool

#endif
