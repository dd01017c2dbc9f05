// SPDX-License-Identifier: MIT
// Blank images, the standard colour tables and the colour-to-index search.
#include <velmoro/dib_edit.h>

#include "support/fault_injection.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

using velmoro_test::ImageSnapshot;
using velmoro_test::ImageSpec;
using velmoro_test::TestImage;

namespace {

// Opens the protected table builders, search and fills.
class TableImage : public CDib {
public:
    using CDib::CreatHalfToneTable;
    using CDib::CreatHexColorTable;
    using CDib::CreatMonoColorTable;
    using CDib::FillIndexTypeBits;
    using CDib::FillRGB16Bits;
    using CDib::FillRGBBits;
    using CDib::GetColorTableIndex;
};

std::vector<BYTE> Row(const CDib& image, int storedRow)
{
    const int stride = ((image.GetWidth() * image.GetBitCount() + 31) >> 3) & ~3;
    const BYTE* row = image.GetBmpBitsAddress() + stride * storedRow;
    return std::vector<BYTE>(row, row + stride);
}

size_t InfoBytes(const CDib& image)
{
    return 40 + static_cast<size_t>(image.GetColorEntrySize());
}

DWORD Color(const RGBQUAD& entry)
{
    return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
}

TEST(Create, PaletteDepthsFillWithTheColoursIndexAndZeroPadding)
{
    CDib image;
    ASSERT_EQ(image.Create(3, 2, 8, 0x00FFFFFF, 0), DIB_OK);
    EXPECT_EQ(Row(image, 0), (std::vector<BYTE>{255, 255, 255, 0}));
    EXPECT_EQ(Row(image, 1), (std::vector<BYTE>{255, 255, 255, 0}));
    EXPECT_EQ(InfoBytes(image), 1064u);

    ASSERT_EQ(image.Create(3, 2, 8, 0x00123456, 0), DIB_OK);  // not in the table: index 0, black
    EXPECT_EQ(Row(image, 1), (std::vector<BYTE>{0, 0, 0, 0}));

    ASSERT_EQ(image.Create(5, 1, 4, 0x00FF0000, 0), DIB_OK);  // blue is entry 12
    EXPECT_EQ(Row(image, 0), (std::vector<BYTE>{0xCC, 0xCC, 0xC0, 0x00}));

    ASSERT_EQ(image.Create(10, 1, 1, 0x00FFFFFF, 0), DIB_OK);
    EXPECT_EQ(Row(image, 0), (std::vector<BYTE>{0xFF, 0xC0, 0x00, 0x00}));
    ASSERT_EQ(image.Create(10, 1, 1, 0, 0), DIB_OK);
    EXPECT_EQ(Row(image, 0), (std::vector<BYTE>{0x00, 0x00, 0x00, 0x00}));

    ASSERT_EQ(image.Create(8, 8, 8, 0, DIB_FORMAT_565), DIB_OK);  // the selector means nothing here
    EXPECT_EQ(image.GetCompression(), static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(InfoBytes(image), 1064u);
}

TEST(Create, SixteenAndTwentyFourBitPixelsAndHeaders)
{
    CDib image;
    ASSERT_EQ(image.Create(2, 2, 16, 0x00FFFFFF, DIB_FORMAT_565), DIB_OK);
    EXPECT_EQ(image.GetCompression(), static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(InfoBytes(image), 52u);
    DWORD masks[3];
    std::memcpy(masks, reinterpret_cast<BYTE*>(image.GetBmpInfoAddress()) + 40, sizeof masks);
    EXPECT_EQ(masks[0], 0xF800u);
    EXPECT_EQ(masks[1], 0x07E0u);
    EXPECT_EQ(masks[2], 0x001Fu);
    EXPECT_EQ(Row(image, 1), (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF}));

    ASSERT_EQ(image.Create(2, 2, 16, 0x00FFFFFF, DIB_FORMAT_555), DIB_OK);
    EXPECT_EQ(image.GetCompression(), static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(InfoBytes(image), 40u);
    EXPECT_EQ(Row(image, 0), (std::vector<BYTE>{0xFF, 0x7F, 0xFF, 0x7F}));

    ASSERT_EQ(image.Create(1, 1, 16, 0x000000FF, DIB_FORMAT_555), DIB_OK);
    EXPECT_EQ(Row(image, 0), (std::vector<BYTE>{0x00, 0x7C, 0, 0}));
    ASSERT_EQ(image.Create(1, 1, 16, 0x000000FF, DIB_FORMAT_565), DIB_OK);
    EXPECT_EQ(Row(image, 0), (std::vector<BYTE>{0x00, 0xF8, 0, 0}));
    // Any other selector is 5-5-5 in header and pixels alike.
    ASSERT_EQ(image.Create(1, 1, 16, 0x00FFFFFF, 7), DIB_OK);
    EXPECT_EQ(image.GetCompression(), static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(Row(image, 0), (std::vector<BYTE>{0xFF, 0x7F, 0, 0}));

    ASSERT_EQ(image.Create(1, 1, 24, 0x00010203, 0), DIB_OK);
    EXPECT_EQ(Row(image, 0), (std::vector<BYTE>{0x01, 0x02, 0x03, 0}));  // blue, green, red

    const BITMAPINFOHEADER& header = image.GetBmpInfoAddress()->bmiHeader;
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biSizeImage, 0u);
    EXPECT_EQ(header.biXPelsPerMeter, 0);
    EXPECT_EQ(header.biClrUsed, 0u);
    EXPECT_EQ(header.biClrImportant, 0u);
}

TEST(Create, RefusalsLeaveTheOldImage)
{
    TestImage image(ImageSpec{4, 3, 24}, 2);
    ImageSnapshot before(image);
    EXPECT_EQ(image.Create(4, 4, 32, 0, 0), DIB_ERR_BAD_BITCOUNT);
    EXPECT_EQ(image.Create(4, 4, 2, 0, 0), DIB_ERR_BAD_BITCOUNT);
    EXPECT_EQ(image.Create(0, 4, 8, 0, 0), DIB_ERR_NO_MEMORY);
    EXPECT_EQ(image.Create(-3, 4, 1, 0x00FFFFFF, 0), DIB_ERR_NO_MEMORY);
    EXPECT_EQ(image.Create(-3, -4, 24, 0, 0), DIB_ERR_NO_MEMORY);
    EXPECT_EQ(image.Create(4, -1, 16, 0, 0), DIB_ERR_NO_MEMORY);
    EXPECT_EQ(image.Create(0x40000000, 0x40000000, 24, 0, 0), DIB_ERR_NO_MEMORY);
    EXPECT_TRUE(before.Matches(image));

    ASSERT_EQ(image.Create(4, 0, 8, 0x00FFFFFF, 0), DIB_OK);  // no rows, still a valid header
    EXPECT_EQ(image.GetHeight(), 0);
    EXPECT_EQ(image.GetBitCount(), 8);
}

#if defined(VELMORO_TEST_SWITCHES)
TEST(Create, FailedAllocationsLeaveTheOldImage)
{
    TestImage image(ImageSpec{4, 3, 24}, 2);
    const int failures = velmoro_test::ForEachAllocationFailure([&](int failAt) {
        ImageSnapshot before(image);
        const DWORD code = image.Create(9, 9, 8, 0x00FFFFFF, 0);
        if (code == DIB_OK)
            return true;
        EXPECT_EQ(code, DIB_ERR_NO_MEMORY) << failAt;
        EXPECT_TRUE(before.Matches(image)) << failAt;
        return false;
    });
    EXPECT_EQ(failures, 2);  // info block, pixel block
}
#endif

// Each pixel holds the index and each padding bit is 0, whatever the width: the
// padding step works on bits, and a slip there shows at some width.
TEST(Create, FillsKeepPixelsAndClearPaddingAtEveryWidth)
{
    TableImage fills;
    for (int bits : {1, 4, 8}) {
        for (int width = 1; width <= 70; ++width) {
            const int stride = ((width * bits + 31) >> 3) & ~3;
            const int index = bits == 1 ? 1 : bits == 4 ? 9 : 201;
            std::vector<BYTE> block(static_cast<size_t>(stride) * 3, 0x5A);
            fills.FillIndexTypeBits(block.data(), width, 3, bits, index);
            for (int row = 0; row < 3; ++row) {
                for (int bit = 0; bit < stride * 8; ++bit) {
                    const int value = (block[row * stride + bit / 8] >> (7 - bit % 8)) & 1;
                    const int pixel = bit / bits;
                    const int expected = pixel < width ? (index >> (bits - 1 - bit % bits)) & 1 : 0;
                    ASSERT_EQ(value, expected) << bits << " bits, width " << width << ", bit " << bit;
                }
            }
        }
    }
    for (int width = 1; width <= 9; ++width) {
        std::vector<BYTE> rgb(static_cast<size_t>((3 * width + 3) & ~3) * 2, 0x5A);
        fills.FillRGBBits(rgb.data(), width, 2, 0x00332211);
        for (size_t i = 0; i < rgb.size(); ++i) {
            const size_t x = i % (rgb.size() / 2);
            ASSERT_EQ(rgb[i], x < 3u * width ? 0x33 - 0x11 * (x % 3) : 0) << width;
        }
    }
}

TEST(ColorTables, MonoAndSixteenColourTables)
{
    TableImage tables;
    RGBQUAD mono[2], hex[16];
    tables.CreatMonoColorTable(mono);
    tables.CreatHexColorTable(hex);
    EXPECT_EQ(Color(mono[0]), 0u);
    EXPECT_EQ(Color(mono[1]), 0x00FFFFFFu);
    EXPECT_EQ(Color(hex[1]), RGB(128, 0, 0));
    EXPECT_EQ(Color(hex[7]), RGB(192, 192, 192));
    EXPECT_EQ(Color(hex[12]), RGB(0, 0, 255));
    EXPECT_EQ(tables.GetColorTableIndex(hex, 0x00C0C0C0, 16), 7);
    EXPECT_EQ(tables.GetColorTableIndex(hex, 0x00808080, 16), 8);
    for (const RGBQUAD& entry : hex)
        EXPECT_EQ(entry.rgbReserved, 0);
}

TEST(ColorTables, HalftoneTableHasItsFixedLayout)
{
    TableImage tables;
    RGBQUAD halftone[256];
    tables.CreatHalfToneTable(halftone);
    std::set<DWORD> colors;
    for (const RGBQUAD& entry : halftone) {
        colors.insert(Color(entry));
        EXPECT_EQ(entry.rgbReserved, 0);
    }
    EXPECT_EQ(colors.size(), 256u);  // every entry distinct
    EXPECT_EQ(Color(halftone[0]), 0u);
    EXPECT_EQ(Color(halftone[9]), RGB(0xA6, 0xCA, 0xF0));
    EXPECT_EQ(Color(halftone[20]), RGB(0x42, 0x4D, 0x4D));  // the one grey that is not neutral
    EXPECT_EQ(Color(halftone[24]), RGB(0xD6, 0x00, 0x93));
    EXPECT_EQ(Color(halftone[127]), RGB(0xFF, 0x00, 0xCC));
    EXPECT_EQ(Color(halftone[151]), RGB(0x66, 0xCC, 0x66));
    EXPECT_EQ(Color(halftone[233]), RGB(0xA5, 0x00, 0x21));
    EXPECT_EQ(Color(halftone[246]), RGB(0xFF, 0xFB, 0xF0));
    EXPECT_EQ(Color(halftone[255]), 0x00FFFFFFu);
    for (int i : {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 234, 235, 236, 237, 238, 239, 240, 241, 242, 243, 244, 245})
        EXPECT_TRUE(halftone[i].rgbRed == halftone[i].rgbGreen && halftone[i].rgbGreen == halftone[i].rgbBlue) << i;
    // Cube corners only among the system colours; four cube colours absent.
    EXPECT_EQ(tables.GetColorTableIndex(halftone, RGB(255, 0, 0), 256), 249);
    EXPECT_EQ(tables.GetColorTableIndex(halftone, RGB(0, 0, 128), 256), 4);
    EXPECT_EQ(tables.GetColorTableIndex(halftone, 0x00000080, 256), 1);
    for (DWORD absent : {RGB(0x33, 0xFF, 0), RGB(0, 0xFF, 0x33), RGB(0x33, 0, 0xFF), RGB(0, 0x33, 0xFF)})
        EXPECT_EQ(tables.GetColorTableIndex(halftone, absent, 256), 0);
}

TEST(ColorTables, SearchIsExactLowestIndexFirstAndIgnoresReserved)
{
    TableImage tables;
    const RGBQUAD table[4] = {{1, 2, 3, 0}, {9, 9, 9, 7}, {9, 9, 9, 0}, {0, 0, 0, 0}};
    EXPECT_EQ(tables.GetColorTableIndex(table, RGB(9, 9, 9), 4), 1);
    EXPECT_EQ(tables.GetColorTableIndex(table, RGB(3, 2, 1), 4), 0);
    EXPECT_EQ(tables.GetColorTableIndex(table, RGB(9, 9, 9) | 0x01000000, 4), 0);  // top byte set: no match
    EXPECT_EQ(tables.GetColorTableIndex(table, RGB(9, 9, 9), 1), 0);
    EXPECT_EQ(tables.GetColorTableIndex(table, RGB(9, 9, 9), 0), 0);
    EXPECT_EQ(tables.GetColorTableIndex(table, RGB(9, 9, 9), -5), 0);
}

}  // namespace
