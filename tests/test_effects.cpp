// SPDX-License-Identifier: MIT
// Pixel effects: the checkerboard mask, fading, the 3 x 3 filter, the colour at
// a point and the colour-table copy.
#include <velmoro/dib_edit.h>

#include "support/fault_injection.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <vector>

using velmoro_test::ImageSnapshot;
using velmoro_test::ImageSpec;
using velmoro_test::TestImage;
using velmoro_test::VectorRows;
using velmoro_test::VectorRowsChoices;
using velmoro_test::VectorRowsScope;

namespace {

// Opens the per-depth members to the tests.
class EffectsImage : public TestImage {
public:
    using TestImage::TestImage;
    using CDibEdit::Fade24BitDib;
    using CDibEdit::Get16BitColorFromPoint;
    using CDibEdit::Get24BitColorFromPoint;
    using CDibEdit::Get8BitColorFromPoint;
    using CDibEdit::Mask16BitImage50;
    using CDibEdit::Mask24BitImage50;
    using CDibEdit::Mask8BitImage50;

    // Pixel (x, y) counted from the top-left, as displayed.
    BYTE* At(int x, int y) const { return Row(GetHeight() - 1 - y) + x * GetBitCount() / 8; }
    void SetEntry(int index, BYTE red, BYTE green, BYTE blue)
    {
        GetColorTabAddress()[index] = RGBQUAD{blue, green, red, 0};
    }
    void Fill(BYTE value) { std::memset(GetBmpBitsAddress(), value, PixelBytes()); }
};

bool PaddingIsZero(const EffectsImage& image)
{
    const int used = image.GetWidth() * image.GetBitCount() / 8;
    for (int row = 0; row < image.GetHeight(); ++row) {
        for (int i = used; i < image.Stride(); ++i) {
            if (image.Row(row)[i] != 0)
                return false;
        }
    }
    return true;
}


// ---- MaskImage50 ----

TEST(MaskImage50, PaintsTopAnchoredCheckerboardWhateverTheHeightAndDepth)
{
    const DWORD color = RGB(0x12, 0x34, 0x56);
    for (int bitCount : {8, 16, 24}) {
        for (int width : {1, 3, 17, 33}) {
            for (int height : {1, 2, 3, 4}) {
                for (int phase : {0, 1, -7}) {
                    SCOPED_TRACE(testing::Message() << bitCount << " bits " << width << " x " << height
                                                    << " phase " << phase);
                    EffectsImage image(ImageSpec{width, height, bitCount}, 11);
                    if (bitCount == 8)
                        image.SetEntry(3, 0x12, 0x34, 0x56);
                    const EffectsImage before = image;
                    ASSERT_EQ(image.MaskImage50(color, phase), DIB_OK);
                    const int bytes = bitCount / 8;
                    const BYTE painted[3][3] = {{3}, {0xCA, 0x08}, {0x56, 0x34, 0x12}};
                    for (int y = 0; y < height; ++y) {
                        for (int x = 0; x < width; ++x) {
                            const bool paint = (x + y) % 2 == (phase != 0 ? 1 : 0);
                            const BYTE* expected = paint ? painted[bytes - 1] : before.At(x, y);
                            ASSERT_EQ(std::memcmp(image.At(x, y), expected, bytes), 0) << "at " << x << "," << y;
                        }
                    }
                    EXPECT_TRUE(PaddingIsZero(image));
                }
            }
        }
    }
}

TEST(MaskImage50, ColourFormPerDepth)
{
    // 8 bits: the lowest matching entry, index 0 when none matches.
    EffectsImage indexed(ImageSpec{2, 1, 8});
    indexed.SetEntry(5, 1, 2, 3);
    indexed.SetEntry(9, 1, 2, 3);
    ASSERT_EQ(indexed.MaskImage50(RGB(1, 2, 3), 0), DIB_OK);
    EXPECT_EQ(*indexed.At(0, 0), 5);
    indexed.SetEntry(0, 7, 7, 7);
    ASSERT_EQ(indexed.MaskImage50(0x00ABCDEF, 0), DIB_OK);
    EXPECT_EQ(*indexed.At(0, 0), 0);
    // Only the first 256 entries can be painted: a match past them is none
    // (cut to a byte, entry 299 would paint entry 43).
    EffectsImage large(ImageSpec{2, 1, 8, BI_RGB, 300});
    for (int i = 0; i < 300; ++i)
        large.SetEntry(i, 1, 1, 1);
    large.SetEntry(299, 0x33, 0x22, 0x11);
    ASSERT_EQ(large.MaskImage50(RGB(0x33, 0x22, 0x11), 0), DIB_OK);
    EXPECT_EQ(*large.At(0, 0), 0);

    // 16 bits: the layout follows the compression field; bits 24-31 play no part.
    EffectsImage rgb555(ImageSpec{1, 1, 16, BI_RGB});
    EffectsImage rgb565(ImageSpec{1, 1, 16, BI_BITFIELDS});
    ASSERT_EQ(rgb555.MaskImage50(0xFF0080FF, 0), DIB_OK);
    ASSERT_EQ(rgb565.MaskImage50(0xFF0080FF, 0), DIB_OK);
    EXPECT_EQ(rgb555.At(0, 0)[0] | rgb555.At(0, 0)[1] << 8, 0x7E00);
    EXPECT_EQ(rgb565.At(0, 0)[0] | rgb565.At(0, 0)[1] << 8, 0xFC00);
}

TEST(MaskImage50, RefusalsChangeNothing)
{
    CDibEdit empty;
    EXPECT_EQ(empty.MaskImage50(0, 0), DIB_ERR_EMPTY);
    EffectsImage deep(ImageSpec{4, 4, 32});
    const ImageSnapshot snapshot(deep);
    EXPECT_EQ(deep.MaskImage50(0, 0), DIB_ERR_BAD_DEPTH);
    EXPECT_EQ(deep.Mask8BitImage50(0, 0), DIB_ERR_NOT_8BIT);
    EXPECT_EQ(deep.Mask16BitImage50(0, 0), DIB_ERR_NOT_16BIT);
    EXPECT_EQ(deep.Mask24BitImage50(0, 0), DIB_ERR_NOT_24BIT);
    EXPECT_TRUE(snapshot.Matches(deep));
}

// ---- FadeDib ----

TEST(FadeDib, AddsWithSaturationAndLeavesPadding)
{
    const struct {
        int amount;
        BYTE before;
        BYTE after;
    } cases[] = {{40, 230, 255}, {40, 10, 50},     {-40, 30, 0},      {-40, 200, 160},
                 {0, 77, 77},    {INT_MAX, 0, 255}, {INT_MIN, 255, 0}, {-255, 255, 0}};
    for (const auto& c : cases) {
        // 37 pixels: whole 64-byte blocks and a tail.
        EffectsImage image(ImageSpec{37, 2, 24}, 3);
        std::memset(image.Row(0), c.before, 37 * 3);
        std::memset(image.Row(1), c.before, 37 * 3);
        const std::vector<BYTE> before = image.PixelCopy();
        ASSERT_EQ(image.FadeDib(c.amount), DIB_OK);
        for (int row = 0; row < 2; ++row) {
            for (int i = 0; i < image.Stride(); ++i) {
                const BYTE expected = i < 37 * 3 ? c.after : before[row * image.Stride() + i];
                ASSERT_EQ(image.Row(row)[i], expected) << c.amount << " byte " << i;
            }
        }
    }
}

TEST(FadeDib, RefusalsChangeNothing)
{
    CDibEdit empty;
    EXPECT_EQ(empty.FadeDib(10), DIB_ERR_EMPTY);
    EffectsImage image(ImageSpec{3, 3, 16});
    const ImageSnapshot snapshot(image);
    EXPECT_EQ(image.FadeDib(10), DIB_ERR_BAD_DEPTH);
    EXPECT_EQ(image.Fade24BitDib(10), DIB_ERR_NOT_24BIT);
    EXPECT_TRUE(snapshot.Matches(image));
}

// ---- FilterDib ----

TEST(FilterDib, IdentityReproducesPixelsAndClearsPadding)
{
    EffectsImage image(ImageSpec{5, 4, 24}, 8);
    const EffectsImage before = image;
    int identity[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0};
    ASSERT_EQ(image.FilterDib(identity, 1, 0), DIB_OK);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(std::memcmp(image.Row(row), before.Row(row), 15), 0);
    EXPECT_TRUE(PaddingIsZero(image));
    EXPECT_EQ(std::memcmp(image.GetBmpInfoAddress(), before.GetBmpInfoAddress(), 40), 0);
}

TEST(FilterDib, BoxBlurOfUniformImageCountsOnlyInsideNeighbours)
{
    EffectsImage image(ImageSpec{4, 3, 24});
    image.Fill(200);
    int box[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    ASSERT_EQ(image.FilterDib(box, 9, 0), DIB_OK);
    EXPECT_EQ(image.At(0, 0)[0], 800 / 9);   // corner: 4 terms
    EXPECT_EQ(image.At(3, 2)[2], 800 / 9);
    EXPECT_EQ(image.At(1, 0)[1], 1200 / 9);  // edge: 6 terms
    EXPECT_EQ(image.At(1, 1)[0], 200);
    EXPECT_EQ(image.At(2, 1)[2], 200);
}

TEST(FilterDib, KernelRowsFollowStoredRows)
{
    // k[1] weights the stored row below, the pixel displayed underneath.
    EffectsImage image(ImageSpec{3, 3, 24}, 4);
    const EffectsImage before = image;
    int fromBelow[9] = {0, 1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(image.FilterDib(fromBelow, 1, 0), DIB_OK);
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(std::memcmp(image.At(x, 0), before.At(x, 1), 3), 0);
        EXPECT_EQ(std::memcmp(image.At(x, 1), before.At(x, 2), 3), 0);
        EXPECT_EQ(image.At(x, 2)[0] | image.At(x, 2)[1] | image.At(x, 2)[2], 0);
    }
    // k[5] weights the right neighbour; the last column has none.
    EffectsImage shifted = before;
    int fromRight[9] = {0, 0, 0, 0, 0, 1, 0, 0, 0};
    ASSERT_EQ(shifted.FilterDib(fromRight, 1, 0), DIB_OK);
    EXPECT_EQ(std::memcmp(shifted.At(0, 1), before.At(1, 1), 3), 0);
    EXPECT_EQ(shifted.At(2, 1)[0] | shifted.At(2, 1)[1] | shifted.At(2, 1)[2], 0);
}

TEST(FilterDib, DivisionTruncatesTowardZeroBeforeTheOffset)
{
    EffectsImage image(ImageSpec{1, 1, 24});
    image.At(0, 0)[0] = 3;    // -3 / 2 -> -1, not -2
    image.At(0, 0)[1] = 250;  // -250 / 2 + 100 -> below 0
    image.At(0, 0)[2] = 1;
    int negate[9] = {0, 0, 0, 0, -1, 0, 0, 0, 0};
    ASSERT_EQ(image.FilterDib(negate, 2, 100), DIB_OK);
    EXPECT_EQ(image.At(0, 0)[0], 99);
    EXPECT_EQ(image.At(0, 0)[1], 0);
    EXPECT_EQ(image.At(0, 0)[2], 100);

    // INT32_MIN / -1 is 2^31, not a trap; it clamps to 255.
    int extreme[9] = {0, 0, 0, 0, INT_MIN, 0, 0, 0, 0};
    image.At(0, 0)[0] = 1;
    ASSERT_EQ(image.FilterDib(extreme, -1, 0), DIB_OK);
    EXPECT_EQ(image.At(0, 0)[0], 255);
}

TEST(FilterDib, RefusalsLeaveTheImageUntouched)
{
    CDibEdit empty;
    int kernel[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(empty.FilterDib(kernel, 9, 0), DIB_ERR_EMPTY);
    for (int bitCount : {8, 16, 32}) {
        EffectsImage image(ImageSpec{3, 3, bitCount});
        const ImageSnapshot snapshot(image);
        EXPECT_EQ(image.FilterDib(kernel, 9, 0), DIB_ERR_BAD_DEPTH) << bitCount;
        EXPECT_TRUE(snapshot.Matches(image));
    }
    EffectsImage image(ImageSpec{3, 3, 24});
    const ImageSnapshot snapshot(image);
    EXPECT_EQ(image.FilterDib(kernel, 0, 0), DIB_ERR_BAD_ARGUMENT);
    EXPECT_EQ(image.FilterDib(nullptr, 9, 0), DIB_ERR_BAD_ARGUMENT);
    EXPECT_TRUE(snapshot.Matches(image));

    // A top-down header gives a negative block size; a failed allocation of the
    // new block leaves the old one in place.
    image.GetBmpInfoAddress()->bmiHeader.biHeight = -3;
    EXPECT_EQ(image.FilterDib(kernel, 9, 0), DIB_ERR_NO_MEMORY);
    image.GetBmpInfoAddress()->bmiHeader.biHeight = 3;
    EXPECT_TRUE(snapshot.Matches(image));
#if defined(VELMORO_TEST_SWITCHES)
    const int failures = velmoro_test::ForEachAllocationFailure([&](int failAt) {
        const ImageSnapshot before(image);
        const DWORD code = image.FilterDib(kernel, 9, 0);
        if (code == DIB_OK)
            return true;
        EXPECT_EQ(code, DIB_ERR_NO_MEMORY) << failAt;
        EXPECT_TRUE(before.Matches(image)) << failAt;
        return false;
    });
    EXPECT_EQ(failures, 1);
#endif
}

// The vector rows must give the plain rows' bytes for every width (edges,
// whole steps, tails), both instruction sets, and kernels up to the largest
// sums they accept.
TEST(FilterDib, VectorRowsMatchPlainRows)
{
#if !defined(VELMORO_TEST_SWITCHES)
    GTEST_SKIP() << "the plain rows are reached only through the test switches";
#endif
    std::mt19937 rng(2024);
    auto pick = [&rng](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    for (int width = 1; width <= 67; ++width) {
        const int height = 1 + width % 4;
        const EffectsImage source(ImageSpec{width, height, 24}, static_cast<uint32_t>(width));
        int kernel[9];
        const int reach = width % 3 == 0 ? 7300 : 40;  // 9 * 7300 * 255 is just below 2^24
        for (int& weight : kernel)
            weight = pick(-reach, reach);
        int divisor = pick(-300, 300);
        if (divisor == 0)
            divisor = 7;
        const int offset = width % 5 == 0 ? pick(INT_MIN / 2, INT_MAX / 2) : pick(-300, 300);

        EffectsImage plain = source;
        {
            VectorRowsScope scope(VectorRows::kPlain);
            ASSERT_EQ(plain.FilterDib(kernel, divisor, offset), DIB_OK);
        }
        for (VectorRows rows : {VectorRows::kBelowAvx2, VectorRows::kWidest}) {
            VectorRowsScope scope(rows);
            EffectsImage vector = source;
            ASSERT_EQ(vector.FilterDib(kernel, divisor, offset), DIB_OK);
            ASSERT_EQ(vector.PixelCopy(), plain.PixelCopy()) << "width " << width << ", " << Name(rows) << " rows";
        }
    }
}

// ---- GetColorFromPoint ----

TEST(GetColorFromPoint, ReadsEachDepthInKeyColourForm)
{
    EffectsImage indexed(ImageSpec{2, 2, 8, BI_RGB, 4});
    indexed.SetEntry(2, 0x11, 0x22, 0x33);
    *indexed.At(0, 0) = 2;
    *indexed.At(1, 1) = 9;  // past the 4 entries: black
    DWORD color = 0xDEADBEEF;
    ASSERT_EQ(indexed.GetColorFromPoint(CPoint(0, 0), &color), DIB_OK);
    EXPECT_EQ(color, 0x00332211u);
    ASSERT_EQ(indexed.GetColorFromPoint(CPoint(1, 1), &color), DIB_OK);
    EXPECT_EQ(color, 0u);

    EffectsImage rgb565(ImageSpec{1, 1, 16, BI_BITFIELDS});
    EffectsImage rgb555(ImageSpec{1, 1, 16, BI_RGB});
    std::memset(rgb565.At(0, 0), 0xFF, 2);
    std::memset(rgb555.At(0, 0), 0xFF, 2);
    ASSERT_EQ(rgb565.GetColorFromPoint(CPoint(0, 0), &color), DIB_OK);
    EXPECT_EQ(color, RGB(248, 252, 248));
    ASSERT_EQ(rgb555.GetColorFromPoint(CPoint(0, 0), &color), DIB_OK);
    EXPECT_EQ(color, RGB(248, 248, 248));

    // (0, 0) is the top-left as displayed, stored in the last row.
    EffectsImage rgb(ImageSpec{3, 2, 24}, 6);
    const BYTE* topLeft = rgb.Row(1);
    ASSERT_EQ(rgb.GetColorFromPoint(CPoint(0, 0), &color), DIB_OK);
    EXPECT_EQ(color, RGB(topLeft[2], topLeft[1], topLeft[0]));
    const BYTE* bottomRight = rgb.Row(0) + 6;
    ASSERT_EQ(rgb.GetColorFromPoint(CPoint(2, 1), &color), DIB_OK);
    EXPECT_EQ(color, RGB(bottomRight[2], bottomRight[1], bottomRight[0]));
}

TEST(GetColorFromPoint, OutsidePointsAreRefusedBeforeTheDepth)
{
    EffectsImage image(ImageSpec{3, 2, 32});
    DWORD color = 0x12345678;
    for (CPoint point : {CPoint(3, 0), CPoint(0, 2), CPoint(-1, 0), CPoint(0, -1)})
        EXPECT_EQ(image.GetColorFromPoint(point, &color), DIB_ERR_OUT_OF_IMAGE);
    EXPECT_EQ(image.GetColorFromPoint(CPoint(2, 1), &color), DIB_ERR_BAD_DEPTH);
    EXPECT_EQ(color, 0x12345678u);
    EXPECT_EQ(image.Get8BitColorFromPoint(CPoint(0, 0), &color), DIB_ERR_NOT_8BIT);
    EXPECT_EQ(image.Get16BitColorFromPoint(CPoint(0, 0), &color), DIB_ERR_NOT_16BIT);
    EXPECT_EQ(image.Get24BitColorFromPoint(CPoint(0, 0), &color), DIB_ERR_NOT_24BIT);
    EffectsImage rgb(ImageSpec{3, 2, 24});
    EXPECT_EQ(rgb.Get24BitColorFromPoint(CPoint(0, 2), &color), DIB_ERR_OUT_OF_IMAGE);
    CDibEdit empty;
    EXPECT_EQ(empty.GetColorFromPoint(CPoint(0, 0), &color), DIB_ERR_EMPTY);
    EXPECT_EQ(color, 0x12345678u);
}

// ---- CopyColorTable ----

TEST(CopyColorTable, CopiesEveryEntryAndNothingElse)
{
    EffectsImage target(ImageSpec{2, 2, 8}, 1);
    EffectsImage source(ImageSpec{3, 3, 8}, 2);
    const std::vector<BYTE> pixels = target.PixelCopy();
    std::vector<BYTE> expected = target.InfoCopy();
    const std::vector<BYTE> sourceInfo = source.InfoCopy();
    ASSERT_EQ(sourceInfo.size(), 40u + 1024u);
    std::copy(sourceInfo.begin() + 40, sourceInfo.end(), expected.begin() + 40);
    ASSERT_EQ(target.CopyColorTable(source), DIB_OK);
    EXPECT_EQ(target.InfoCopy(), expected);
    EXPECT_EQ(target.PixelCopy(), pixels);
    EXPECT_EQ(target.CopyColorTable(target), DIB_OK);
    EXPECT_EQ(target.InfoCopy(), expected);
}

// Entries are found past the bit-field masks, which stay as they are.
TEST(CopyColorTable, SkipsBitfieldMasksOnEitherSide)
{
    EffectsImage masked(ImageSpec{2, 2, 16, BI_BITFIELDS, 4}, 1);
    EffectsImage indexed(ImageSpec{2, 2, 8, BI_RGB, 4}, 2);
    const std::vector<BYTE> maskedBefore = masked.InfoCopy();
    const std::vector<BYTE> indexedBefore = indexed.InfoCopy();
    ASSERT_EQ(masked.CopyColorTable(indexed), DIB_OK);
    std::vector<BYTE> expected = maskedBefore;
    std::copy(indexedBefore.begin() + 40, indexedBefore.end(), expected.begin() + 52);
    EXPECT_EQ(masked.InfoCopy(), expected);

    masked.Randomize(9);
    const std::vector<BYTE> maskedTable = masked.InfoCopy();
    ASSERT_EQ(indexed.CopyColorTable(masked), DIB_OK);
    const std::vector<BYTE> indexedAfter = indexed.InfoCopy();
    EXPECT_TRUE(std::equal(indexedAfter.begin() + 40, indexedAfter.end(), maskedTable.begin() + 52,
                           maskedTable.end()));
}

TEST(CopyColorTable, RefusalsChangeNothing)
{
    EffectsImage target(ImageSpec{2, 2, 8});
    EffectsImage noTable(ImageSpec{2, 2, 24});
    EffectsImage smaller(ImageSpec{2, 2, 8, BI_RGB, 16});
    CDibEdit empty;
    const ImageSnapshot snapshot(target);
    EXPECT_EQ(target.CopyColorTable(noTable), DIB_ERR_NO_COLOR_TABLE);
    EXPECT_EQ(target.CopyColorTable(smaller), DIB_ERR_COLOR_TABLE_SIZE);
    EXPECT_EQ(target.CopyColorTable(empty), DIB_ERR_EMPTY);
    EXPECT_EQ(empty.CopyColorTable(target), DIB_ERR_EMPTY);
    EXPECT_TRUE(snapshot.Matches(target));
}

}  // namespace
