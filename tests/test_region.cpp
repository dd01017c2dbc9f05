// SPDX-License-Identifier: MIT
// Regions of the pixels that are not the key colour.
#include <velmoro/dib.h>

#include "support/gdi_canvas.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using velmoro_test::ImageSpec;
using velmoro_test::PictureColor;
using velmoro_test::PicturePixel;
using velmoro_test::TestImage;

namespace {

constexpr DWORD kKey = 0x00FF00FF;

// Sets picture pixel (x, y) to a stored value: an index, a 16-bit word or a 0x00BBGGRR colour.
void SetPixel(TestImage& image, int x, int y, DWORD value)
{
    BYTE* row = image.Row(image.GetHeight() - 1 - y);
    switch (image.GetBitCount()) {
    case 8: row[x] = static_cast<BYTE>(value); break;
    case 16: row[2 * x] = static_cast<BYTE>(value), row[2 * x + 1] = static_cast<BYTE>(value >> 8); break;
    default: row[3 * x] = GetBValue(value), row[3 * x + 1] = GetGValue(value), row[3 * x + 2] = GetRValue(value);
    }
}

// Whether a pixel matches the key, decided from the image's own bytes.
bool IsKeyPixel(const TestImage& image, int x, int y, DWORD key)
{
    switch (image.GetBitCount()) {
    case 24: return PictureColor(image, x, y) == (key & 0xFFFFFF);
    case 16: {
        const unsigned r = key & 0xFF, g = (key >> 8) & 0xFF, b = (key >> 16) & 0xFF;
        const DWORD packed = image.GetCompression() == BI_BITFIELDS ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)
                                                                    : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
        return PicturePixel(image, x, y) == packed;
    }
    default: {
        DWORD index = 0;  // first equal entry; none means 0
        for (int i = image.GetNumColorEntry() - 1; i >= 0; --i) {
            const RGBQUAD& e = image.GetColorTabAddress()[i];
            if (RGB(e.rgbRed, e.rgbGreen, e.rgbBlue) == key)
                index = static_cast<DWORD>(i);
        }
        return PicturePixel(image, x, y) == index;
    }
    }
}

// The region the slow way: the whole image, minus each key run as a rectangle one pixel high.
HRGN SlowRegion(const TestImage& image, DWORD key)
{
    HRGN region = CreateRectRgn(0, 0, image.GetWidth(), image.GetHeight());
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth();) {
            int end = x;
            while (end < image.GetWidth() && IsKeyPixel(image, end, y, key))
                ++end;
            if (end > x) {
                HRGN run = CreateRectRgn(x, y, end, y + 1);
                CombineRgn(region, region, run, RGN_DIFF);
                DeleteObject(run);
            }
            x = end + 1;
        }
    }
    return region;
}

// The region equals the slow one and holds exactly the non-key pixels of the image.
void ExpectKeyRegion(const TestImage& image, HRGN region, DWORD key)
{
    HRGN slow = SlowRegion(image, key);
    EXPECT_TRUE(EqualRgn(region, slow));
    DeleteObject(slow);
    for (int y = -1; y <= image.GetHeight(); ++y) {
        for (int x = -1; x <= image.GetWidth(); ++x) {
            const bool inside = x >= 0 && y >= 0 && x < image.GetWidth() && y < image.GetHeight();
            ASSERT_EQ(PtInRegion(region, x, y) != 0, inside && !IsKeyPixel(image, x, y, key)) << x << "," << y;
        }
    }
}

std::vector<RECT> Rectangles(HRGN region)
{
    std::vector<BYTE> data(GetRegionData(region, 0, NULL));
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    GetRegionData(region, static_cast<DWORD>(data.size()), header);
    const RECT* rects = reinterpret_cast<const RECT*>(header->Buffer);
    return std::vector<RECT>(rects, rects + header->rdh.nCount);
}

TEST(KeyRegion, FourByTwoExample)
{
    TestImage image(ImageSpec{4, 2, 24});
    const DWORD other = RGB(10, 20, 30);
    const DWORD bottom[4] = {kKey, kKey, other, kKey};
    for (int x = 0; x < 4; ++x) {
        SetPixel(image, x, 0, other);
        SetPixel(image, x, 1, bottom[x]);
    }
    HRGN region = NULL;
    ASSERT_EQ(image.CreateRegionFromScanLine(&region, kKey), DIB_OK);
    ExpectKeyRegion(image, region, kKey);
    const std::vector<RECT> rects = Rectangles(region);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(CRect(rects[0].left, rects[0].top, rects[0].right, rects[0].bottom), CRect(0, 0, 4, 1));
    EXPECT_EQ(CRect(rects[1].left, rects[1].top, rects[1].right, rects[1].bottom), CRect(2, 1, 3, 2));
    DeleteObject(region);
}

TEST(KeyRegion, KeyRowsColumnsAndWholeImages)
{
    TestImage image(ImageSpec{6, 5, 24}, 2);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            SetPixel(image, x, y, (y == 1 || x == 2) ? kKey : RGB(x, y, 7));
    SetPixel(image, 5, 3, kKey);  // a single key pixel in the last column
    HRGN region = NULL;
    ASSERT_EQ(image.CreateRegionFromScanLine(&region, kKey), DIB_OK);
    ExpectKeyRegion(image, region, kKey);
    // Rows 2 and 4 have the same runs but are not adjacent; row 0 and rows 2, 4 share columns.
    EXPECT_EQ(Rectangles(region).size(), 8u);
    DeleteObject(region);

    // A key column through every row: one band, two rectangles.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            SetPixel(image, x, y, x == 2 ? kKey : RGB(1, 1, 1));
    ASSERT_EQ(image.CreateRegionFromScanLine(&region, kKey), DIB_OK);
    EXPECT_EQ(Rectangles(region).size(), 2u);
    DeleteObject(region);

    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            SetPixel(image, x, y, kKey);
    ASSERT_EQ(image.CreateRegionFromScanLine(&region, kKey), DIB_OK);
    RECT box;
    EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
    DeleteObject(region);

    SetPixel(image, 0, 0, RGB(0, 0, 0));
    HRGN untouched = reinterpret_cast<HRGN>(0x1234);
    region = untouched;
    EXPECT_EQ(image.CreateRegionFromScanLine(&region, RGB(1, 2, 3)), DIB_ERR_REGION);
    EXPECT_EQ(region, untouched);
}

TEST(KeyRegion, EightBitKeysGoThroughTheColourTable)
{
    TestImage image(ImageSpec{5, 3, 8, BI_RGB, 4}, 3);
    RGBQUAD* table = image.GetColorTabAddress();
    table[2] = RGBQUAD{0xFF, 0x00, 0xFF, 0x55};  // the key, whatever the reserved byte holds
    table[3] = table[2];                          // a duplicate: the lower index wins
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            SetPixel(image, x, y, static_cast<DWORD>((x + y) % 4));
    HRGN region = NULL;
    ASSERT_EQ(image.CreateRegionFromScanLine(&region, kKey), DIB_OK);
    EXPECT_FALSE(PtInRegion(region, 2, 0));
    EXPECT_TRUE(PtInRegion(region, 3, 0));
    ExpectKeyRegion(image, region, kKey);
    DeleteObject(region);
    // A key missing from the table falls back to index 0.
    ASSERT_EQ(image.CreateRegionFromScanLine(&region, 0x00123456), DIB_OK);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    ExpectKeyRegion(image, region, 0x00123456);
    DeleteObject(region);
}

TEST(KeyRegion, SixteenBitKeysFollowTheHeaderLayout)
{
    for (DWORD compression : {DWORD{BI_RGB}, DWORD{BI_BITFIELDS}}) {
        TestImage image(ImageSpec{2, 1, 16, compression});
        SetPixel(image, 0, 0, 0x7FFF);
        SetPixel(image, 1, 0, 0xFFFF);
        HRGN region = NULL;
        ASSERT_EQ(image.CreateRegionFromScanLine(&region, 0x00FFFFFF), DIB_OK);
        const bool bitfields = compression == BI_BITFIELDS;
        EXPECT_EQ(PtInRegion(region, 0, 0) != 0, bitfields) << "0x7FFF";
        EXPECT_EQ(PtInRegion(region, 1, 0) != 0, !bitfields) << "0xFFFF";
        DeleteObject(region);
    }
}

TEST(KeyRegion, RefusesWhatItCannotScan)
{
    HRGN region = NULL;
    for (int bits : {1, 4, 32}) {
        TestImage image(ImageSpec{3, 3, bits});
        EXPECT_EQ(image.CreateRegionFromScanLine(&region, kKey), DIB_ERR_BAD_DEPTH) << bits;
    }
    CDib empty;
    EXPECT_EQ(empty.CreateRegionFromScanLine(&region, kKey), DIB_ERR_EMPTY);
    TestImage flat(ImageSpec{0, 3, 24});
    EXPECT_EQ(flat.CreateRegionFromScanLine(&region, kKey), DIB_ERR_REGION);
    TestImage image(ImageSpec{3, 3, 24});
    EXPECT_NE(image.CreateRegionFromScanLine(NULL, kKey), DIB_OK);
    const velmoro_test::ImageSnapshot before(image);
    image.GetBmpInfoAddress()->bmiHeader.biHeight = -3;
    EXPECT_NE(image.CreateRegionFromScanLine(&region, kKey), DIB_OK);
    EXPECT_EQ(region, nullptr);
    image.GetBmpInfoAddress()->bmiHeader.biHeight = 3;
    EXPECT_TRUE(before.Matches(image));
}

// Few colours make many short runs; every depth and width against the slow way.
TEST(KeyRegion, MatchesTheSlowRegionOnRandomImages)
{
    std::mt19937 rng(42);
    const ImageSpec specs[] = {{1, 1, 8, BI_RGB, 3}, {1, 1, 16}, {1, 1, 16, BI_BITFIELDS}, {1, 1, 24}};
    for (ImageSpec spec : specs) {
        for (int width : {1, 2, 3, 7, 33, 70}) {
            spec.width = width;
            spec.height = 1 + static_cast<int>(rng() % 9);
            TestImage image(spec, rng());
            const DWORD colours[3] = {kKey, RGB(0, 0, 0), RGB(255, 255, 255)};
            for (int y = 0; y < spec.height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const DWORD colour = colours[rng() % 3];
                    const bool is565 = spec.compression == BI_BITFIELDS;
                    const unsigned r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
                    const DWORD word = is565 ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)
                                             : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
                    SetPixel(image, x, y, spec.bitCount == 8 ? rng() % 3 : spec.bitCount == 16 ? word : colour);
                }
            }
            SCOPED_TRACE(testing::Message() << spec.bitCount << " bits, " << width << " x " << spec.height);
            HRGN region = NULL;
            const DWORD key = spec.bitCount == 8 ? PictureColor(image, 0, 0) : kKey;
            const DWORD code = image.CreateRegionFromScanLine(&region, key);
            if (code == DIB_ERR_REGION)
                continue;  // no key pixel drawn
            ASSERT_EQ(code, DIB_OK);
            ExpectKeyRegion(image, region, key);
            DeleteObject(region);
        }
    }
}

}  // namespace
