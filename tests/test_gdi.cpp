// SPDX-License-Identifier: MIT
// The graphics layer on its own: contexts, the stretch copy's edges, bitmaps, palettes, regions.
#include <velmoro/platform/gdi.h>

#include "support/gdi_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using velmoro_test::Canvas;

namespace {

// A DIB header with its colour entries or masks behind it.
struct Dib {
    Dib(int width, int height, int bits, DWORD compression = BI_RGB, std::vector<DWORD> table = {})
        : block(sizeof(BITMAPINFOHEADER) + 4 * (table.size() + 1))
    {
        BITMAPINFOHEADER& header = Info()->bmiHeader;
        header.biSize = sizeof header;
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = static_cast<WORD>(bits);
        header.biCompression = compression;
        header.biClrUsed = compression == BI_RGB ? static_cast<DWORD>(table.size()) : 0;
        if (!table.empty())
            std::memcpy(block.data() + sizeof header, table.data(), 4 * table.size());
    }
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(block.data()); }
    int Draw(HDC hdc, const void* bits, int w = 1, int h = 1, UINT usage = DIB_RGB_COLORS, DWORD rop = SRCCOPY)
    {
        return StretchDIBits(hdc, 0, 0, w, h, 0, 0, w, h, bits, Info(), usage, rop);
    }
    std::vector<BYTE> block;
};

TEST(Gdi, ScreenIsOneSharedSurface)
{
    HDC first = GetDC(NULL);
    HDC second = GetWindowDC(NULL);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, first);
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(8)), nullptr);
    const BYTE red[4] = {0, 0, 255, 0};
    EXPECT_EQ(Dib(1, 1, 24).Draw(first, red), 1);
    EXPECT_EQ(GetPixel(second, 0, 0), RGB(255, 0, 0));
    EXPECT_NE(GetPixel(second, 1023, 767), CLR_INVALID);
    EXPECT_EQ(GetPixel(second, 1024, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(second, 0, -1), CLR_INVALID);
    EXPECT_FALSE(DeleteDC(first));  // screen contexts are released, not deleted
    EXPECT_EQ(ReleaseDC(NULL, first), 1);
    EXPECT_EQ(ReleaseDC(NULL, first), 0);
    EXPECT_EQ(GetPixel(first, 0, 0), CLR_INVALID);
    EXPECT_EQ(ReleaseDC(NULL, second), 1);
}

TEST(Gdi, MemoryContextsOwnOneBitmapAtATime)
{
    HDC one = CreateCompatibleDC(NULL);
    HDC two = CreateCompatibleDC(one);
    EXPECT_NE(GetPixel(one, 0, 0), CLR_INVALID);  // the 1 x 1 stock bitmap
    EXPECT_EQ(GetPixel(one, 1, 0), CLR_INVALID);
    HBITMAP bitmap = CreateCompatibleBitmap(one, 3, 2);
    HGDIOBJ stock = SelectObject(one, bitmap);
    ASSERT_NE(stock, nullptr);
    EXPECT_TRUE(DeleteObject(stock)) << "stock objects ignore deletion";
    EXPECT_EQ(SelectObject(two, bitmap), nullptr) << "already the surface of another context";
    EXPECT_FALSE(DeleteObject(bitmap)) << "still selected";
    EXPECT_EQ(GetPixel(one, 2, 1), RGB(0, 0, 0));
    EXPECT_EQ(SelectObject(one, stock), bitmap);
    EXPECT_EQ(ReleaseDC(NULL, one), 0);
    EXPECT_TRUE(DeleteDC(one));
    EXPECT_FALSE(DeleteDC(one));
    EXPECT_TRUE(DeleteDC(two));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap)) << "a deleted handle is refused, not freed twice";
    EXPECT_FALSE(DeleteObject(NULL));
    EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(16)), nullptr);
}

TEST(Gdi, StretchRefusesWhatItCannotDraw)
{
    Canvas canvas(2, 2);
    const BYTE bits[8] = {};
    EXPECT_EQ(Dib(1, 1, 32, BI_BITFIELDS, {0xFF, 0xFF00, 0xFF0000}).Draw(canvas.hdc, bits), 0);
    EXPECT_EQ(Dib(1, 1, 2).Draw(canvas.hdc, bits), 0);
    EXPECT_EQ(Dib(1, -1, 24).Draw(canvas.hdc, bits), 0);
    EXPECT_EQ(Dib(1, 1, 8, BI_RLE8).Draw(canvas.hdc, bits), 0);
    EXPECT_EQ(Dib(1, 1, 16, BI_BITFIELDS, {0xF00, 0xF0, 0xF}).Draw(canvas.hdc, bits), 0);
    EXPECT_EQ(Dib(1, 1, 24).Draw(canvas.hdc, bits, 1, 1, DIB_PAL_COLORS), 0);
    EXPECT_EQ(Dib(1, 1, 24).Draw(canvas.hdc, bits, 1, 1, DIB_RGB_COLORS, 0x00EE0086), 0);
    EXPECT_EQ(Dib(1, 1, 24).Draw(canvas.hdc, NULL), 0);
    EXPECT_EQ(Dib(1, 1, 24).Draw(NULL, bits), 0);
    EXPECT_EQ(Dib(1, 1, 24).Draw(canvas.hdc, bits, 0, 1), 0);
}

TEST(Gdi, StretchReadsSixteenBitMasksAndMissingEntries)
{
    Canvas canvas(2, 1);
    const BYTE word[4] = {0xFF, 0x7F, 0, 0};  // 0x7FFF
    EXPECT_EQ(Dib(1, 1, 16, BI_BITFIELDS, {0x7C00, 0x03E0, 0x001F}).Draw(canvas.hdc, word), 1);
    EXPECT_EQ(canvas.At(0, 0), RGB(248, 248, 248));
    EXPECT_EQ(Dib(1, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}).Draw(canvas.hdc, word), 1);
    EXPECT_EQ(canvas.At(0, 0), RGB(120, 252, 248));
    // Index 5 of a two-entry table reads black.
    const BYTE indices[4] = {1, 5, 0, 0};
    EXPECT_EQ(Dib(2, 1, 8, BI_RGB, {0x00FFFFFF, 0x000000FF}).Draw(canvas.hdc, indices, 2, 1), 1);
    EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(1, 0), RGB(0, 0, 0));
}

TEST(Gdi, StretchIntoIndexedAndSixteenBitSurfaces)
{
    Canvas indexed(1, 1, 8);
    std::vector<BYTE> logical(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(logical.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = 3;
    PALETTEENTRY* entries = palette->palPalEntry;
    entries[0] = {0, 0, 0, 0}, entries[1] = {200, 0, 0, 0}, entries[2] = {0, 0, 200, 0};
    HPALETTE hpal = CreatePalette(palette);
    HPALETTE previous = SelectPalette(indexed.hdc, hpal, FALSE);
    EXPECT_EQ(previous, GetStockObject(DEFAULT_PALETTE));
    EXPECT_EQ(RealizePalette(indexed.hdc), 3u);
    const BYTE nearRed[4] = {10, 0, 180, 0};
    Dib(1, 1, 24).Draw(indexed.hdc, nearRed);
    EXPECT_EQ(indexed.At(0, 0), RGB(200, 0, 0));
    EXPECT_FALSE(DeleteObject(hpal)) << "still selected";
    EXPECT_EQ(SelectPalette(indexed.hdc, previous, TRUE), hpal);
    EXPECT_TRUE(DeleteObject(hpal));

    Canvas words(1, 1, 16);
    const BYTE colour[4] = {0xFF, 0x84, 0x21, 0};
    Dib(1, 1, 24).Draw(words.hdc, colour);
    EXPECT_EQ(words.At(0, 0), RGB(0x21 & 0xF8, 0x84 & 0xFC, 0xF8));
}

TEST(Gdi, BitmapsPadRowsToEvenBytesAndReadBackAsDibs)
{
    const BYTE rows[2][4] = {{0x11, 0x22, 0x33, 0xEE}, {0x44, 0x55, 0x66, 0xEE}};  // 3 pixels + 1 pad byte
    HBITMAP bitmap = CreateBitmap(3, 2, 1, 8, rows);
    BITMAP record{};
    EXPECT_EQ(GetObjectA(bitmap, 0, NULL), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(GetObjectA(bitmap, sizeof(BITMAP) - 1, &record), 0);
    ASSERT_EQ(GetObjectA(bitmap, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, 3);
    EXPECT_EQ(record.bmHeight, 2);
    EXPECT_EQ(record.bmWidthBytes, 4);
    EXPECT_EQ(record.bmBitsPixel, 8);
    EXPECT_EQ(CreateBitmap(3, 2, 2, 8, NULL), nullptr);
    EXPECT_EQ(CreateBitmap(0, 2, 1, 8, NULL), nullptr);

    HDC hdc = CreateCompatibleDC(NULL);
    Dib dib(3, 2, 8);
    std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + 1024);
    std::memcpy(block.data(), dib.Info(), sizeof(BITMAPINFOHEADER));
    auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
    EXPECT_EQ(GetDIBits(hdc, bitmap, 0, 2, NULL, info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(info->bmiHeader.biSizeImage, 8u);
    BYTE lines[8];
    std::memset(lines, 0xAA, sizeof lines);
    // Scan line 1 is the top row: it alone lands at the start of the buffer.
    EXPECT_EQ(GetDIBits(hdc, bitmap, 1, 5, lines, info, DIB_RGB_COLORS), 1);
    EXPECT_EQ(std::vector<BYTE>(lines, lines + 4), (std::vector<BYTE>{0x11, 0x22, 0x33, 0}));
    EXPECT_EQ(lines[4], 0xAA);
    info->bmiHeader.biWidth = 4;
    EXPECT_EQ(GetDIBits(hdc, bitmap, 0, 2, lines, info, DIB_RGB_COLORS), 0);

    Dib wide(3, 2, 32, BI_BITFIELDS, {0, 0, 0});
    EXPECT_EQ(GetDIBits(hdc, bitmap, 0, 0, NULL, wide.Info(), DIB_RGB_COLORS), 0);
    const DWORD* masks = reinterpret_cast<const DWORD*>(wide.block.data() + sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(masks[0], 0xFF0000u);
    EXPECT_EQ(wide.Info()->bmiHeader.biSizeImage, 24u);
    DeleteDC(hdc);
    DeleteObject(bitmap);
}

std::vector<COLORREF> Colours(HPALETTE palette)
{
    std::vector<PALETTEENTRY> entries(GetPaletteEntries(palette, 0, 0, NULL));
    GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
    std::vector<COLORREF> colours;
    for (const PALETTEENTRY& e : entries)
        colours.push_back(RGB(e.peRed, e.peGreen, e.peBlue));
    return colours;
}

TEST(Gdi, StockAndHalftonePalettes)
{
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    const std::vector<COLORREF> statics = {
        RGB(0, 0, 0),       RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),   RGB(0, 0, 128),
        RGB(128, 0, 128),   RGB(0, 128, 128),   RGB(192, 192, 192), RGB(192, 220, 192), RGB(166, 202, 240),
        RGB(255, 251, 240), RGB(160, 160, 164), RGB(128, 128, 128), RGB(255, 0, 0),     RGB(0, 255, 0),
        RGB(255, 255, 0),   RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255)};
    EXPECT_EQ(Colours(stock), statics);
    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(Colours(stock).size(), 20u) << "deleting a stock object does nothing";
    EXPECT_EQ(GetStockObject(0), nullptr);

    HPALETTE halftone = CreateHalftonePalette(NULL);
    const std::vector<COLORREF> colours = Colours(halftone);
    ASSERT_EQ(colours.size(), 256u);
    EXPECT_EQ(std::vector<COLORREF>(colours.begin(), colours.begin() + 10),
              std::vector<COLORREF>(statics.begin(), statics.begin() + 10));
    EXPECT_EQ(std::vector<COLORREF>(colours.end() - 10, colours.end()),
              std::vector<COLORREF>(statics.end() - 10, statics.end()));
    EXPECT_EQ(colours[22], RGB(0xFF, 0x7C, 0x80));
    EXPECT_EQ(colours[233], RGB(0xA5, 0x00, 0x21));
    std::vector<COLORREF> sorted = colours;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end()) << "every entry distinct";
    WORD count = 0;
    EXPECT_EQ(GetObjectA(halftone, 2, &count), 2);
    EXPECT_EQ(count, 256);
    PALETTEENTRY tail[4];
    EXPECT_EQ(GetPaletteEntries(halftone, 254, 4, tail), 2u);
    EXPECT_EQ(GetPaletteEntries(halftone, 256, 4, tail), 0u);
    DeleteObject(halftone);

    LOGPALETTE wrongVersion{0x200, 1, {{1, 2, 3, 0}}};
    EXPECT_EQ(CreatePalette(&wrongVersion), nullptr);
    LOGPALETTE none{0x300, 0, {}};
    EXPECT_EQ(CreatePalette(&none), nullptr);
}

CRect Box(HRGN region)
{
    RECT box{};
    GetRgnBox(region, &box);
    return CRect(box.left, box.top, box.right, box.bottom);
}

TEST(Gdi, CombineRegionsInEveryMode)
{
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(15, 15, 5, 5);  // edges in either order
    EXPECT_EQ(Box(b), CRect(5, 5, 15, 15));
    HRGN result = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetRgnBox(result, NULL), ERROR);
    EXPECT_EQ(Box(result), CRect());
    const struct {
        int mode, type, area;
    } cases[] = {{RGN_AND, SIMPLEREGION, 25}, {RGN_OR, COMPLEXREGION, 175}, {RGN_XOR, COMPLEXREGION, 150},
                 {RGN_DIFF, COMPLEXREGION, 75}, {RGN_COPY, SIMPLEREGION, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(CombineRgn(result, a, c.mode == RGN_COPY ? NULL : b, c.mode), c.type) << c.mode;
        int area = 0;
        for (int y = -1; y <= 16; ++y)
            for (int x = -1; x <= 16; ++x)
                area += PtInRegion(result, x, y) ? 1 : 0;
        EXPECT_EQ(area, c.area) << c.mode;
    }
    HRGN far = CreateRectRgn(20, 20, 30, 30);
    EXPECT_EQ(CombineRgn(result, a, far, RGN_AND), NULLREGION);
    EXPECT_EQ(CombineRgn(result, a, b, 9), ERROR);
    EXPECT_EQ(CombineRgn(result, a, NULL, RGN_OR), ERROR);
    RECT box;
    EXPECT_EQ(GetRgnBox(result, &box), NULLREGION) << "unchanged by the failures";

    // The destination may be a source; the result equals the region built fresh.
    EXPECT_EQ(CombineRgn(a, a, b, RGN_DIFF), COMPLEXREGION);
    HRGN fresh = CreateRectRgn(0, 0, 10, 10);
    HRGN cut = CreateRectRgn(5, 5, 10, 10);
    CombineRgn(fresh, fresh, cut, RGN_XOR);
    EXPECT_TRUE(EqualRgn(a, fresh));
    EXPECT_FALSE(EqualRgn(a, b));
    EXPECT_FALSE(PtInRegion(a, 10, 0)) << "right edge exclusive";
    for (HRGN region : {a, b, result, far, fresh, cut})
        EXPECT_TRUE(DeleteObject(region));
    EXPECT_FALSE(PtInRegion(a, 0, 0));
    EXPECT_EQ(CreateRectRgnIndirect(NULL), nullptr);
}

// biClrUsed may ask for more entries than the depth can name: the table written
// back stops at what the depth can name (and a smaller count still gives fewer).
TEST(Gdi, ReadBackTablesStopAtTheEntriesTheDepthCanName)
{
    HDC hdc = CreateCompatibleDC(NULL);
    for (WORD bits : {1, 8}) {
        HBITMAP bitmap = CreateBitmap(1, 1, 1, bits, NULL);
        const size_t room = size_t{4} << bits;
        std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + room + 64, 0xAB);
        auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
        info->bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 1, 1, 1, bits, BI_RGB, 0, 0, 0, 0x40000000, 0};
        EXPECT_EQ(GetDIBits(hdc, bitmap, 0, 1, NULL, info, DIB_RGB_COLORS), 1);
        EXPECT_EQ(std::count(block.end() - 64, block.end(), 0xAB), 64) << bits << " bits";
        DeleteObject(bitmap);
    }
    DeleteDC(hdc);
}

// An empty region stays where empty regions are, wherever it is moved.
TEST(Gdi, MovedEmptyRegionStillEqualsEveryEmptyRegion)
{
    HRGN moved = CreateRectRgn(0, 0, 0, 0);
    HRGN empty = CreateRectRgn(3, 3, 3, 3);
    EXPECT_EQ(OffsetRgn(moved, 5, 5), NULLREGION);
    EXPECT_TRUE(EqualRgn(moved, empty));
    EXPECT_EQ(Box(moved), CRect(0, 0, 0, 0));
    EXPECT_EQ(OffsetRgn(moved, INT32_MAX, 0), NULLREGION);
    DeleteObject(moved);
    DeleteObject(empty);
}

TEST(Gdi, OffsetAndRegionDataInBands)
{
    RECT rect{0, 0, 4, 2};
    HRGN region = CreateRectRgnIndirect(&rect);
    HRGN notch = CreateRectRgn(1, 1, 3, 2);
    CombineRgn(region, region, notch, RGN_DIFF);
    EXPECT_EQ(OffsetRgn(region, 10, 20), COMPLEXREGION);
    EXPECT_EQ(Box(region), CRect(10, 20, 14, 22));
    EXPECT_EQ(OffsetRgn(region, INT32_MAX, 0), ERROR) << "coordinates would leave 32 bits";
    EXPECT_EQ(Box(region), CRect(10, 20, 14, 22));

    const DWORD needed = GetRegionData(region, 0, NULL);
    EXPECT_EQ(needed, sizeof(RGNDATAHEADER) + 3 * sizeof(RECT));
    std::vector<BYTE> buffer(needed);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    EXPECT_EQ(GetRegionData(region, needed - 1, data), 0u);
    ASSERT_EQ(GetRegionData(region, needed, data), needed);
    EXPECT_EQ(data->rdh.dwSize, sizeof(RGNDATAHEADER));
    EXPECT_EQ(data->rdh.iType, DWORD{RDH_RECTANGLES});
    EXPECT_EQ(data->rdh.nCount, 3u);
    EXPECT_EQ(data->rdh.nRgnSize, 3 * sizeof(RECT));
    const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
    const CRect expected[3] = {{10, 20, 14, 21}, {10, 21, 11, 22}, {13, 21, 14, 22}};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(CRect(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom), expected[i]);
    DeleteObject(region);
    DeleteObject(notch);
    EXPECT_EQ(GetRegionData(region, 0, NULL), 0u);
}

}  // namespace
