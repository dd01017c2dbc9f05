// SPDX-License-Identifier: MIT
#include "support/gdi_canvas.h"

namespace velmoro_test {

DWORD PicturePixel(const CDib& image, int x, int y)
{
    const int bits = image.GetBitCount();
    const int stride = ((image.GetWidth() * bits + 31) >> 3) & ~3;
    const BYTE* row = image.GetBmpBitsAddress() + static_cast<size_t>(stride) * (image.GetHeight() - 1 - y);
    switch (bits) {
    case 16: return static_cast<DWORD>(row[2 * x] | (row[2 * x + 1] << 8));
    case 24: return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case 32: return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    default: {
        const int bit = x * bits;
        return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
    }
    }
}

COLORREF PictureColor(const CDib& image, int x, int y)
{
    const DWORD pixel = PicturePixel(image, x, y);
    const bool bitfields = image.GetCompression() == BI_BITFIELDS;
    switch (image.GetBitCount()) {
    case 24:
    case 32: return pixel;
    case 16:
        if (bitfields)
            return RGB((pixel >> 11) << 3, ((pixel >> 5) & 0x3F) << 2, (pixel & 0x1F) << 3);
        return RGB(((pixel >> 10) & 0x1F) << 3, ((pixel >> 5) & 0x1F) << 3, (pixel & 0x1F) << 3);
    default: {
        if (static_cast<int>(pixel) >= image.GetNumColorEntry())
            return 0;
        const RGBQUAD& entry = image.GetColorTabAddress()[pixel + (bitfields ? 3 : 0)];
        return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
    }
    }
}

Canvas::Canvas(int w, int h, int bitsPerPixel)
    : hdc(CreateCompatibleDC(NULL)), bitmap(CreateBitmap(w, h, 1, bitsPerPixel, NULL)),
      previous(SelectObject(hdc, bitmap)), dc(hdc), width(w), height(h)
{
}

Canvas::~Canvas()
{
    SelectObject(hdc, previous);
    DeleteObject(bitmap);
    DeleteDC(hdc);
}

void Canvas::Fill(COLORREF color)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    const BYTE pixel[4] = {GetBValue(color), GetGValue(color), GetRValue(color), 0};
    StretchDIBits(hdc, 0, 0, width, height, 0, 0, 1, 1, pixel, &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace velmoro_test
