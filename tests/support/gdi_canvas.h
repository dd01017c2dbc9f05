// SPDX-License-Identifier: MIT
// Drawing targets for tests and an independent reading of image pixels.
#ifndef VELMORO_TESTS_SUPPORT_GDI_CANVAS_H
#define VELMORO_TESTS_SUPPORT_GDI_CANVAS_H

#include <velmoro/dib.h>

namespace velmoro_test {

// The stored value of picture pixel (x, y), y from the top: an index, a 16-bit
// word, or for 24 and 32 bits the colour as 0x00BBGGRR.
DWORD PicturePixel(const CDib& image, int x, int y);
// Its colour (0x00BBGGRR); 16-bit channels widen by shifting, missing entries are black.
COLORREF PictureColor(const CDib& image, int x, int y);

// A memory context drawing on a new bitmap, all released on destruction.
class Canvas {
public:
    Canvas(int width, int height, int bitsPerPixel = 32);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Paints every pixel one colour (a 1 x 1 DIB stretched over the surface).
    void Fill(COLORREF color);
    COLORREF At(int x, int y) const { return GetPixel(hdc, x, y); }

    HDC hdc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    CDC dc;
    int width;
    int height;
};

}  // namespace velmoro_test

#endif
