// SPDX-License-Identifier: MIT
// The demo's own inputs, painted in code so that the demo needs no files.
#ifndef VELMORO_TOOLS_DEMO_PICTURES_H
#define VELMORO_TOOLS_DEMO_PICTURES_H

#include <velmoro/dib.h>

namespace velmoro_tool {

constexpr DWORD kSpriteKey = RGB(0xFF, 0x00, 0xFF);

// Each fills `image` with a new 24-bit picture; the result of CDib::Create.
// A sky with a sun over two ranges of hills.
DWORD PaintBackground(CDib& image, int width, int height);
// A shaded orb on the key colour kSpriteKey.
DWORD PaintSprite(CDib& image, int size);
// A sunset over mountains and water, with grain: detail for a lossy codec.
DWORD PaintPhoto(CDib& image, int width, int height);

}  // namespace velmoro_tool

#endif
