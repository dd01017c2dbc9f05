// SPDX-License-Identifier: MIT
// Turning a device-dependent bitmap into an image through the screen's context.
#include <velmoro/dib.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "base/pixel_layouts.h"

#include <cstring>

using namespace velmoro;

namespace {

// The screen's context with a palette selected in the foreground and realized;
// the previous palette is selected back and the context released on every exit.
class ScreenPaletteScope {
public:
    explicit ScreenPaletteScope(HPALETTE palette) : m_hdc(GetDC(NULL)), m_previous(NULL)
    {
        if (!m_hdc)
            return;
        m_previous = SelectPalette(m_hdc, palette, FALSE);
        RealizePalette(m_hdc);
    }
    ~ScreenPaletteScope()
    {
        if (!m_hdc)
            return;
        if (m_previous)
            SelectPalette(m_hdc, m_previous, TRUE);
        RealizePalette(m_hdc);
        ReleaseDC(NULL, m_hdc);
    }
    ScreenPaletteScope(const ScreenPaletteScope&) = delete;
    ScreenPaletteScope& operator=(const ScreenPaletteScope&) = delete;

    HDC Get() const { return m_hdc; }

private:
    HDC m_hdc;
    HPALETTE m_previous;
};

bool IsAcceptedBitmapDepth(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: return true;
    default: return false;
    }
}

// The image depth for planes x bits per pixel: the next DIB depth that holds it.
int ImageBitCount(const BITMAP& record)
{
    const WORD bits = static_cast<WORD>(record.bmPlanes * record.bmBitsPixel);
    if (bits <= 1)
        return 1;
    if (bits <= 4)
        return 4;
    if (bits <= 8)
        return 8;
    return bits <= 16 ? 16 : 24;
}

}  // namespace

DWORD CDib::CreateDIBFromBitmap(HBITMAP bitmap, HPALETTE palette, DWORD format)
{
    BITMAP record{};
    if (!bitmap || GetObjectA(bitmap, sizeof record, &record) == 0)
        return DIB_ERR_BITMAP;
    if (!palette)
        palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    if (!IsAcceptedBitmapDepth(record.bmBitsPixel))
        return DIB_ERR_BAD_BITCOUNT;

    const int bitCount = ImageBitCount(record);
    const BITMAPINFOHEADER header =
        NewInfoHeader(record.bmWidth, record.bmHeight, bitCount, Compression565(bitCount == 16 && IsFormat565(format)));
    const uint64_t infoBytes = InfoBlockBytes(reinterpret_cast<const BITMAPINFO*>(&header));
    // The block holds every row the size rules promise, whatever biSizeImage says.
    const int64_t pixelBytes = PixelBlockBytes(header);
    if (pixelBytes < 0)
        return DIB_ERR_BITMAP;

    ScreenPaletteScope screen(palette);
    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(infoBytes);
    if (!info)
        return DIB_ERR_NO_MEMORY;
    std::memcpy(info.get(), &header, sizeof header);
    const UINT lines = static_cast<UINT>(header.biHeight);
    GetDIBits(screen.Get(), bitmap, 0, lines, NULL, info.get(), DIB_RGB_COLORS);
    BlockPtr<BYTE> bits = MakeBlock(static_cast<uint64_t>(pixelBytes));
    if (!bits)
        return DIB_ERR_NO_MEMORY;
    if (GetDIBits(screen.Get(), bitmap, 0, lines, bits.get(), info.get(), DIB_RGB_COLORS) == 0)
        return DIB_ERR_BITMAP;
    ReplaceBlocks(info.release(), bits.release());
    return DIB_OK;
}
