// SPDX-License-Identifier: MIT
// Drawing images into contexts, images from device-dependent bitmaps, and palettes for images.
#include <velmoro/dib.h>
#include <velmoro/dib_palette.h>

#include "support/gdi_canvas.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using velmoro_test::Canvas;
using velmoro_test::ImageSnapshot;
using velmoro_test::ImageSpec;
using velmoro_test::PictureColor;
using velmoro_test::PicturePixel;
using velmoro_test::TestImage;

namespace {

constexpr COLORREF kUntouched = RGB(1, 2, 3);  // no test image is this colour by chance often enough to matter

// Every canvas pixel: the picture pixel the mapping names, or untouched where it names none.
void ExpectCanvas(const Canvas& canvas, const CDib& image, const std::function<bool(int, int, int&, int&)>& sourceOf)
{
    int mismatches = 0;
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            int sx = 0, sy = 0;
            const COLORREF expected = sourceOf(x, y, sx, sy) ? PictureColor(image, sx, sy) : kUntouched;
            if (canvas.At(x, y) != expected && ++mismatches <= 3)
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex << canvas.At(x, y)
                              << " != " << expected;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

bool Inside(int x, int y, int left, int top, int right, int bottom)
{
    return x >= left && x < right && y >= top && y < bottom;
}

class DrawAtEveryDepth : public ::testing::TestWithParam<ImageSpec> {
protected:
    DrawAtEveryDepth() : image(Spec(), 5), canvas(140, 110) { canvas.Fill(kUntouched); }
    static ImageSpec Spec()
    {
        ImageSpec spec = GetParam();
        spec.width = 100;
        spec.height = 50;
        return spec;
    }
    TestImage image;
    Canvas canvas;
};

TEST_P(DrawAtEveryDepth, WithoutRectanglesDrawsTheWholeImageAtTheOrigin)
{
    image.Draw(canvas.dc, NULL, NULL);
    ExpectCanvas(canvas, image, [](int x, int y, int& sx, int& sy) {
        sx = x, sy = y;
        return Inside(x, y, 0, 0, 100, 50);
    });
}

TEST_P(DrawAtEveryDepth, SourceWithoutDestinationLandsOnItsMirroredRows)
{
    const CRect source(10, 5, 30, 15);
    image.Draw(canvas.dc, NULL, &source);
    // Picture rows 5-14 appear at rows 35-44.
    ExpectCanvas(canvas, image, [](int x, int y, int& sx, int& sy) {
        sx = x, sy = y - 30;
        return Inside(x, y, 10, 35, 30, 45);
    });
}

TEST_P(DrawAtEveryDepth, StretchesByTakingThePixelUnderEachCentre)
{
    const CRect doubled(0, 0, 200, 100);
    image.Draw(canvas.dc, &doubled, NULL);
    ExpectCanvas(canvas, image, [](int x, int y, int& sx, int& sy) {
        sx = x / 2, sy = y / 2;
        return y < 100;
    });
    canvas.Fill(kUntouched);
    const CRect halved(0, 0, 50, 25);
    image.Draw(canvas.dc, &halved, NULL);
    ExpectCanvas(canvas, image, [](int x, int y, int& sx, int& sy) {
        sx = 2 * x + 1, sy = 2 * y + 1;
        return Inside(x, y, 0, 0, 50, 25);
    });
}

TEST_P(DrawAtEveryDepth, ReversedDestinationEdgesMirror)
{
    const CRect mirrored(100, 50, 0, 0);  // both axes
    image.Draw(canvas.dc, &mirrored, NULL);
    ExpectCanvas(canvas, image, [](int x, int y, int& sx, int& sy) {
        sx = 99 - x, sy = 49 - y;
        return Inside(x, y, 0, 0, 100, 50);
    });
}

TEST_P(DrawAtEveryDepth, ClipsToTheSurfaceAndToTheImage)
{
    const CRect offSurface(-10, -5, 90, 45);
    image.Draw(canvas.dc, &offSurface, NULL);
    ExpectCanvas(canvas, image, [](int x, int y, int& sx, int& sy) {
        sx = x + 10, sy = y + 5;
        return Inside(x, y, 0, 0, 90, 45);
    });
    canvas.Fill(kUntouched);
    // The source reaches 20 columns past the right edge: those destination pixels stay.
    const CRect pastImage(80, 0, 120, 50), target(0, 0, 40, 50);
    image.Draw(canvas.dc, &target, &pastImage);
    ExpectCanvas(canvas, image, [](int x, int y, int& sx, int& sy) {
        sx = x + 80, sy = y;
        return Inside(x, y, 0, 0, 20, 50);
    });
}

INSTANTIATE_TEST_SUITE_P(Depths, DrawAtEveryDepth,
                         ::testing::Values(ImageSpec{1, 1, 1}, ImageSpec{1, 1, 4}, ImageSpec{1, 1, 8},
                                           ImageSpec{1, 1, 8, BI_RGB, 20}, ImageSpec{1, 1, 16},
                                           ImageSpec{1, 1, 16, BI_BITFIELDS}, ImageSpec{1, 1, 24},
                                           ImageSpec{1, 1, 24, BI_BITFIELDS}, ImageSpec{1, 1, 32},
                                           ImageSpec{1, 1, 32, BI_BITFIELDS}),
                         [](const ::testing::TestParamInfo<ImageSpec>& info) {
                             // For instance "Bits8With20Entries" or "Bits16Bitfields".
                             const ImageSpec& spec = info.param;
                             std::string name = "Bits" + std::to_string(spec.bitCount);
                             if (spec.compression == BI_BITFIELDS)
                                 name += "Bitfields";
                             if (spec.colorEntries >= 0)
                                 name += "With" + std::to_string(spec.colorEntries) + "Entries";
                             return name;
                         });

// 32-bit pixels are blue, green, red and an unused byte, whatever that byte holds.
TEST(Draw, ThirtyTwoBitPixelsIgnoreTheirFourthByte)
{
    Canvas canvas(3, 1);
    TestImage image(ImageSpec{3, 1, 32});
    const BYTE pixels[12] = {0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0x00, 0x70, 0x80, 0x90, 0x7F};
    std::memcpy(image.GetBmpBitsAddress(), pixels, sizeof pixels);
    const BITMAPINFO* info = image.GetBmpInfoAddress();
    EXPECT_EQ(StretchDIBits(canvas.hdc, 0, 0, 3, 1, 0, 0, 3, 1, pixels, info, DIB_RGB_COLORS, SRCCOPY), 1);
    EXPECT_EQ(canvas.At(0, 0), RGB(0x30, 0x20, 0x10));
    EXPECT_EQ(canvas.At(2, 0), RGB(0x90, 0x80, 0x70));

}

TEST(Draw, EmptyImageOrNoContextDrawsNothing)
{
    Canvas canvas(4, 4);
    canvas.Fill(kUntouched);
    CDib empty;
    empty.Draw(canvas.dc, NULL, NULL);
    EXPECT_EQ(canvas.At(0, 0), kUntouched);
    TestImage image(ImageSpec{4, 4, 24});
    CDC none;
    image.Draw(none, NULL, NULL);
    // Extreme rectangles whose sizes overflow 32 bits are refused, not wrapped.
    const CRect huge(INT32_MIN, 0, INT32_MAX, 4);
    image.Draw(canvas.dc, &huge, NULL);
    EXPECT_EQ(canvas.At(0, 0), kUntouched);
}

// A bitmap made from rows of random bytes, with its rows kept for comparison.
struct RandomBitmap {
    RandomBitmap(int w, int h, int bits) : width(w), height(h), rowBytes(((w * bits + 15) / 16) * 2)
    {
        bytes.resize(static_cast<size_t>(rowBytes) * h);
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<BYTE>(i * 37 + 11);
        handle = CreateBitmap(w, h, 1, bits, bytes.data());
    }
    ~RandomBitmap() { DeleteObject(handle); }
    const BYTE* Row(int y) const { return bytes.data() + static_cast<size_t>(rowBytes) * y; }
    int width, height, rowBytes;
    std::vector<BYTE> bytes;
    HBITMAP handle;
};

TEST(CreateDIBFromBitmap, RefusesMissingBitmapsAndDepthsWithoutADib)
{
    TestImage image(ImageSpec{3, 3, 8});
    const ImageSnapshot before(image);
    EXPECT_EQ(image.CreateDIBFromBitmap(NULL, NULL, 0), DIB_ERR_BITMAP);
    HBITMAP deleted = CreateBitmap(2, 2, 1, 8, NULL);
    DeleteObject(deleted);
    EXPECT_EQ(image.CreateDIBFromBitmap(deleted, NULL, 0), DIB_ERR_BITMAP);
    for (int bits : {2, 32}) {
        HBITMAP bitmap = CreateBitmap(2, 2, 1, bits, NULL);
        EXPECT_EQ(image.CreateDIBFromBitmap(bitmap, NULL, 0), DIB_ERR_BAD_BITCOUNT) << bits;
        DeleteObject(bitmap);
    }
    EXPECT_TRUE(before.Matches(image));
}

TEST(CreateDIBFromBitmap, IndexedBitmapsKeepTheirIndicesAndTakeThePalettesColours)
{
    PALETTEENTRY custom[4] = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}, {255, 255, 255, 0}};
    std::vector<BYTE> logical(sizeof(LOGPALETTE) + sizeof custom);
    auto* palette = reinterpret_cast<LOGPALETTE*>(logical.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = 4;
    std::memcpy(palette->palPalEntry, custom, sizeof custom);
    HPALETTE customPalette = CreatePalette(palette);
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    PALETTEENTRY stockEntries[20];
    ASSERT_EQ(GetPaletteEntries(stock, 0, 20, stockEntries), 20u);

    for (int bits : {1, 4, 8}) {
        for (HPALETTE chosen : {static_cast<HPALETTE>(NULL), customPalette}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << (chosen ? "custom" : "default") << " palette");
            RandomBitmap bitmap(7, 3, bits);
            CDib image;
            ASSERT_EQ(image.CreateDIBFromBitmap(bitmap.handle, chosen, DIB_FORMAT_565), DIB_OK);
            EXPECT_EQ(image.GetBitCount(), bits);
            EXPECT_EQ(image.GetCompression(), DWORD{BI_RGB});
            EXPECT_EQ(image.GetColorEntrySize(), 4 << bits);
            const PALETTEENTRY* colours = chosen ? custom : stockEntries;
            const int known = chosen ? 4 : 20;
            for (int i = 0; i < (1 << bits); ++i) {
                const RGBQUAD& entry = image.GetColorTabAddress()[i];
                const COLORREF expected = i < known ? RGB(colours[i].peRed, colours[i].peGreen, colours[i].peBlue) : 0;
                EXPECT_EQ(RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue), expected) << "entry " << i;
            }
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 7; ++x) {
                    const int bit = x * bits;
                    const DWORD index = (bitmap.Row(y)[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                    EXPECT_EQ(PicturePixel(image, x, y), index) << x << "," << y;
                }
            }
        }
    }
    // The screen context gave the caller's palette back: it can be deleted.
    EXPECT_TRUE(DeleteObject(customPalette));
}

TEST(CreateDIBFromBitmap, SixteenBitLayoutFollowsTheSelector)
{
    RandomBitmap bitmap(5, 2, 16);
    CDib bitfields, plain;
    ASSERT_EQ(bitfields.CreateDIBFromBitmap(bitmap.handle, NULL, DIB_FORMAT_565), DIB_OK);
    ASSERT_EQ(plain.CreateDIBFromBitmap(bitmap.handle, NULL, DIB_FORMAT_555), DIB_OK);
    EXPECT_EQ(bitfields.GetCompression(), DWORD{BI_BITFIELDS});
    EXPECT_EQ(40 + bitfields.GetColorEntrySize(), 52);
    const DWORD* masks = reinterpret_cast<const DWORD*>(bitfields.GetColorTabAddress());
    EXPECT_EQ(masks[0], 0xF800u);
    EXPECT_EQ(masks[1], 0x07E0u);
    EXPECT_EQ(masks[2], 0x001Fu);
    EXPECT_EQ(plain.GetCompression(), DWORD{BI_RGB});
    EXPECT_EQ(plain.GetColorEntrySize(), 0);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            const DWORD word = bitmap.Row(y)[2 * x] | (bitmap.Row(y)[2 * x + 1] << 8);
            EXPECT_EQ(PicturePixel(bitfields, x, y), word);
            EXPECT_EQ(PicturePixel(plain, x, y), ((word >> 1) & 0x7FE0) | (word & 0x1F));
        }
    }
}

TEST(CreateDIBFromBitmap, TwentyFourBitRoundTripThroughAMemoryContext)
{
    TestImage original(ImageSpec{13, 7, 24}, 9);
    Canvas canvas(13, 7, 24);
    original.Draw(canvas.dc, NULL, NULL);
    SelectObject(canvas.hdc, canvas.previous);  // a selected bitmap stays readable; this mirrors the tool
    CDib copy;
    ASSERT_EQ(copy.CreateDIBFromBitmap(canvas.bitmap, NULL, 0), DIB_OK);
    SelectObject(canvas.hdc, canvas.bitmap);
    EXPECT_EQ(copy.GetBitCount(), 24);
    EXPECT_EQ(copy.GetColorEntrySize(), 0);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(PictureColor(copy, x, y), PictureColor(original, x, y)) << x << "," << y;
}

std::vector<PALETTEENTRY> Entries(HPALETTE palette)
{
    std::vector<PALETTEENTRY> entries(GetPaletteEntries(palette, 0, 0, NULL));
    GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
    return entries;
}

TEST(DibPalette, FollowsTheColourTableOrFallsBackToHalftone)
{
    CDibPal palette;
    EXPECT_EQ(palette.GetNumColor(), 0);
    TestImage twenty(ImageSpec{2, 2, 8, BI_RGB, 20}, 3);
    ASSERT_EQ(palette.Create(twenty), 1);
    EXPECT_EQ(palette.GetNumColor(), 20);
    const std::vector<PALETTEENTRY> entries = Entries(palette.GetHPalette());
    for (int i = 0; i < 20; ++i) {
        const RGBQUAD& quad = twenty.GetColorTabAddress()[i];
        EXPECT_EQ(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue),
                  RGB(quad.rgbRed, quad.rgbGreen, quad.rgbBlue));
        EXPECT_EQ(entries[i].peFlags, 0);
    }

    HPALETTE old = palette.GetHPalette();
    ASSERT_EQ(palette.Create(TestImage(ImageSpec{2, 2, 24})), 1);
    EXPECT_EQ(GetObjectA(old, 2, NULL), 0) << "the old palette is deleted";
    const std::vector<PALETTEENTRY> halftone = Entries(palette.GetHPalette());
    ASSERT_EQ(halftone.size(), 256u);
    EXPECT_EQ(RGB(halftone[1].peRed, halftone[1].peGreen, halftone[1].peBlue), RGB(0x80, 0, 0));
    EXPECT_EQ(RGB(halftone[20].peRed, halftone[20].peGreen, halftone[20].peBlue), RGB(0x42, 0x4D, 0x4D));
    EXPECT_EQ(RGB(halftone[255].peRed, halftone[255].peGreen, halftone[255].peBlue), RGB(255, 255, 255));

    // An empty image builds nothing and keeps the palette held.
    HPALETTE kept = palette.GetHPalette();
    EXPECT_EQ(palette.Create(CDib()), 0);
    EXPECT_EQ(palette.GetHPalette(), kept);
}

TEST(DibPalette, BitFieldImagesTakeTheEntriesBehindTheMasks)
{
    TestImage image(ImageSpec{2, 2, 16, BI_BITFIELDS, 4}, 8);
    CDibPal palette;
    ASSERT_EQ(palette.Create(image), 1);
    const std::vector<PALETTEENTRY> entries = Entries(palette.GetHPalette());
    ASSERT_EQ(entries.size(), 4u);
    const RGBQUAD& last = image.GetColorTabAddress()[3 + 3];
    EXPECT_EQ(RGB(entries[3].peRed, entries[3].peGreen, entries[3].peBlue),
              RGB(last.rgbRed, last.rgbGreen, last.rgbBlue));
}

TEST(DibPalette, CopiesOwnTheirOwnPalette)
{
    CDibPal original;
    ASSERT_EQ(original.Create(TestImage(ImageSpec{2, 2, 4}, 4)), 1);
    CDibPal assigned;
    assigned = original;
    CDibPal constructed(original);
    EXPECT_NE(assigned.GetHPalette(), original.GetHPalette());
    EXPECT_NE(constructed.GetHPalette(), original.GetHPalette());
    const std::vector<PALETTEENTRY> expected = Entries(original.GetHPalette());
    for (const CDibPal* copy : {&assigned, &constructed}) {
        const std::vector<PALETTEENTRY> got = Entries(copy->GetHPalette());
        ASSERT_EQ(got.size(), expected.size());
        EXPECT_EQ(std::memcmp(got.data(), expected.data(), got.size() * sizeof(PALETTEENTRY)), 0);
    }
    // Through a reference, so that compilers do not warn of the deliberate self-assignment.
    const CDibPal& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.GetNumColor(), 16);
    assigned = CDibPal();
    EXPECT_EQ(assigned.GetHPalette(), nullptr);
    EXPECT_EQ(original.GetNumColor(), 16);
}

}  // namespace
