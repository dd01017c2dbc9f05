// SPDX-License-Identifier: MIT
#include "canvas.h"

#include <velmoro/platform/gdi.h>

namespace velmoro_tool {
namespace {

// A memory context drawing on a new 24-bit bitmap; released in any case.
class Canvas {
public:
    Canvas(int width, int height)
        : m_hdc(CreateCompatibleDC(NULL)), m_bitmap(CreateBitmap(width, height, 1, 24, NULL)),
          m_previous(m_hdc && m_bitmap ? SelectObject(m_hdc, m_bitmap) : NULL)
    {
    }
    ~Canvas()
    {
        Deselect();
        DeleteObject(m_bitmap);
        DeleteDC(m_hdc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool IsReady() const { return m_previous != NULL; }
    HDC Context() const { return m_hdc; }
    HBITMAP Bitmap() const { return m_bitmap; }
    // The bitmap must leave the context before its bits are read.
    void Deselect()
    {
        if (m_previous)
            SelectObject(m_hdc, m_previous);
        m_previous = NULL;
    }

private:
    HDC m_hdc;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
};

}  // namespace

DWORD DrawIntoMemoryContext(CDib& image, int width, int height, CDib& drawn)
{
    if (image.IsEmpty() || image.GetWidth() <= 0 || image.GetHeight() <= 0)
        return DIB_ERR_EMPTY;
    Canvas canvas(width, height);
    if (!canvas.IsReady())
        return DIB_ERR_BITMAP;
    // What CDib::Draw does for the whole image, with the result it drops: no
    // line drawn means a DIB the context cannot draw.
    if (StretchDIBits(canvas.Context(), 0, 0, width, height, 0, 0, image.GetWidth(), image.GetHeight(),
                      image.GetBmpBitsAddress(), image.GetBmpInfoAddress(), DIB_RGB_COLORS, SRCCOPY) == 0)
        return DIB_ERR_BAD_DEPTH;
    canvas.Deselect();
    return drawn.CreateDIBFromBitmap(canvas.Bitmap(), NULL, DIB_FORMAT_555);
}

}  // namespace velmoro_tool
