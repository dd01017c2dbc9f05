// SPDX-License-Identifier: MIT
// Crop, join and flip: geometry changes that copy pixels exactly as stored.
#include <velmoro/dib_edit.h>

#include "support/fault_injection.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using velmoro_test::ImageSnapshot;
using velmoro_test::ImageSpec;
using velmoro_test::TestImage;
using velmoro_test::VectorRows;
using velmoro_test::VectorRowsChoices;
using velmoro_test::VectorRowsScope;

namespace {

// Opens the protected workers to the tests.
class GeometryImage : public TestImage {
public:
    using TestImage::TestImage;
    using CDibEdit::Crop16BitImage;
    using CDibEdit::Crop24BitImage;
    using CDibEdit::Crop8BitImage;
    using CDibEdit::Join16BitVert;
    using CDibEdit::Join24BitHorz;
};

int BytesPerPixel(const CDib& image)
{
    return image.GetBitCount() / 8;
}

int StrideOf(const CDib& image)
{
    return ((image.GetWidth() * image.GetBitCount() + 31) >> 3) & ~3;
}

// Picture coordinates: y = 0 is the top row.
std::vector<BYTE> PixelAt(const CDib& image, int x, int y)
{
    const BYTE* p = image.GetBmpBitsAddress() + static_cast<size_t>(StrideOf(image)) * (image.GetHeight() - 1 - y) +
                    static_cast<size_t>(x) * BytesPerPixel(image);
    return std::vector<BYTE>(p, p + BytesPerPixel(image));
}

// Every row's bytes past its pixels are 0.
bool PaddingIsZero(const CDib& image)
{
    const int rowBytes = image.GetWidth() * BytesPerPixel(image);
    for (int r = 0; r < image.GetHeight(); ++r) {
        const BYTE* row = image.GetBmpBitsAddress() + static_cast<size_t>(StrideOf(image)) * r;
        for (int i = rowBytes; i < StrideOf(image); ++i) {
            if (row[i] != 0)
                return false;
        }
    }
    return true;
}

std::vector<BYTE> Pixels(const CDib& image)
{
    const BYTE* bits = image.GetBmpBitsAddress();
    return std::vector<BYTE>(bits, bits + static_cast<size_t>(StrideOf(image)) * image.GetHeight());
}

void SetEntry(CDib& image, int index, DWORD color)
{
    image.GetColorTabAddress()[index] =
        RGBQUAD{static_cast<BYTE>(color >> 16), static_cast<BYTE>(color >> 8), static_cast<BYTE>(color), 0};
}

// ---------------------------------------------------------------- crop

TEST(CropFrom, NullOrCoveringRectangleCopiesTheSourceWhole)
{
    GeometryImage source(ImageSpec{7, 5, 16, BI_BITFIELDS}, 3);
    CRect covering(-10, -10, 17, 15), exact(0, 0, 7, 5);
    for (CRect* rect : {static_cast<CRect*>(nullptr), &covering, &exact}) {
        CDibEdit target;
        ASSERT_EQ(target.CropFrom(source, rect), DIB_OK);
        EXPECT_EQ(std::memcmp(target.GetBmpInfoAddress(), source.GetBmpInfoAddress(), source.InfoBytes()), 0);
        EXPECT_EQ(Pixels(target), source.PixelCopy());
    }
}

TEST(CropFrom, EveryPixelComesFromTheClippedRectangleAtEachDepth)
{
    const CRect rects[] = {{0, 0, 9, 1}, {2, 1, 3, 5}, {-4, 2, 5, 40}, {3, -2, 20, 4}, {8, 5, 9, 6}, {1, 1, 8, 5}};
    for (int bits : {8, 16, 24}) {
        GeometryImage source(ImageSpec{9, 6, bits, BI_RGB, bits == 8 ? 20 : -1}, 11);
        for (CRect rect : rects) {
            SCOPED_TRACE(testing::Message() << bits << " bits, rect " << rect.left << "," << rect.top << ","
                                            << rect.right << "," << rect.bottom);
            const CRect asked = rect;
            CDibEdit target;
            ASSERT_EQ(target.CropFrom(source, &rect), DIB_OK);
            EXPECT_EQ(rect, asked);  // the caller's rectangle is not clipped in place
            const int left = std::max(0, rect.left), top = std::max(0, rect.top);
            const int right = std::min(9, rect.right), bottom = std::min(6, rect.bottom);
            ASSERT_EQ(target.GetWidth(), right - left);
            ASSERT_EQ(target.GetHeight(), bottom - top);
            EXPECT_EQ(target.GetBmpInfoAddress()->bmiHeader.biSizeImage, 0u);
            for (int y = 0; y < target.GetHeight(); ++y)
                for (int x = 0; x < target.GetWidth(); ++x)
                    ASSERT_EQ(PixelAt(target, x, y), PixelAt(source, left + x, top + y)) << x << "," << y;
            EXPECT_TRUE(PaddingIsZero(target));
        }
    }
}

TEST(CropFrom, TopPictureRowIsTheLastStoredRow)
{
    GeometryImage source(ImageSpec{5, 4, 24}, 5);
    CDibEdit target;
    CRect rect(0, 0, 5, 1);
    ASSERT_EQ(target.CropFrom(source, &rect), DIB_OK);
    ASSERT_EQ(target.GetHeight(), 1);
    EXPECT_EQ(std::memcmp(target.GetBmpBitsAddress(), source.Row(3), 15), 0);
    EXPECT_EQ(target.GetBmpBitsAddress()[15], 0);
}

TEST(CropFrom, WidthOneFrom8BitKeepsTableAndPadsRowsToFourBytes)
{
    GeometryImage source(ImageSpec{6, 3, 8, BI_RGB, 16}, 9);
    CDibEdit target;
    CRect rect(4, 0, 5, 3);
    ASSERT_EQ(target.CropFrom(source, &rect), DIB_OK);
    EXPECT_EQ(target.GetBmpInfoAddress()->bmiHeader.biClrUsed, 16u);
    EXPECT_EQ(std::memcmp(target.GetColorTabAddress(), source.GetColorTabAddress(), 64), 0);
    for (int r = 0; r < 3; ++r) {
        const BYTE* row = target.GetBmpBitsAddress() + 4 * r;
        EXPECT_EQ(row[0], source.Row(r)[4]);
        EXPECT_EQ(row[1] | row[2] | row[3], 0);
    }
}

TEST(CropFrom, SourceMayBeThisImage)
{
    // The second rectangle keeps the block size (7 and 8 pixels both take 24
    // bytes a row): written in place, each row would overlap its own source.
    for (CRect rect : {CRect(1, 2, 6, 5), CRect(1, 0, 8, 6)}) {
        GeometryImage image(ImageSpec{8, 6, 24}, 2);
        GeometryImage copy(ImageSpec{8, 6, 24}, 2);
        CDibEdit expected;
        ASSERT_EQ(expected.CropFrom(copy, &rect), DIB_OK);
        ASSERT_EQ(image.CropFrom(image, &rect), DIB_OK);
        EXPECT_EQ(Pixels(image), Pixels(expected));
        EXPECT_EQ(image.GetWidth(), rect.Width());
    }
}

// A result of the size this image's pixel block already has is written into
// that block: stale bytes there, padding included, must not survive, and the
// info block still comes from the source.
TEST(CropFrom, ResultOfTheHeldBlockSizeOverwritesItWhole)
{
    struct Case {
        ImageSpec target;
        ImageSpec source;
        CRect rect;
    };
    const Case cases[] = {
        {ImageSpec{5, 4, 24}, ImageSpec{9, 7, 24}, CRect(2, 1, 7, 5)},          // same shape
        {ImageSpec{8, 3, 8}, ImageSpec{9, 7, 8, BI_RGB, 20}, CRect(3, 0, 7, 6)},  // 4 x 6, 24 bytes either way
        {ImageSpec{8, 3, 8}, ImageSpec{5, 5, 24}, CRect(1, 1, 3, 4)},            // another depth, 24 bytes
        {ImageSpec{6, 2, 16}, ImageSpec{9, 4, 16, BI_BITFIELDS}, CRect(0, 1, 5, 3)},
    };
    for (const Case& c : cases) {
        GeometryImage target(c.target, 40);
        GeometryImage source(c.source, 41);
        std::memset(target.GetBmpBitsAddress(), 0xEE, target.PixelCopy().size());
        const BYTE* held = target.GetBmpBitsAddress();
        CRect rect = c.rect;
        CDibEdit expected;
        ASSERT_EQ(expected.CropFrom(source, &rect), DIB_OK);
        ASSERT_EQ(target.CropFrom(source, &rect), DIB_OK);
        EXPECT_EQ(target.GetBmpBitsAddress(), held);
        EXPECT_EQ(Pixels(target), Pixels(expected));
        EXPECT_EQ(std::memcmp(target.GetBmpInfoAddress(), expected.GetBmpInfoAddress(), source.InfoBytes()), 0);
    }
}

TEST(CropFrom, RefusalsLeaveThisImageAsItWas)
{
    GeometryImage target(ImageSpec{3, 3, 8}, 1);
    const ImageSnapshot before(target);
    GeometryImage source(ImageSpec{6, 4, 24}, 4);
    CDibEdit empty;
    CRect inside(1, 1, 3, 3);
    EXPECT_EQ(target.CropFrom(empty, &inside), DIB_ERR_EMPTY);
    EXPECT_EQ(target.CropFrom(empty, nullptr), DIB_ERR_EMPTY);
    GeometryImage deep(ImageSpec{4, 4, 32}, 1);
    EXPECT_EQ(target.CropFrom(deep, &inside), DIB_ERR_BAD_DEPTH);
    // Nothing of the source left after clipping.
    for (CRect rect : {CRect(2, 1, 2, 3), CRect(6, 0, 9, 4), CRect(-5, -5, 0, 2), CRect(0, 4, 6, 9), CRect(4, 3, 1, 1)})
        EXPECT_EQ(target.CropFrom(source, &rect), DIB_ERR_OUT_OF_IMAGE);
    EXPECT_TRUE(before.Matches(target));
}

TEST(CropWorkers, WriteNothingForAnotherDepthOrARectangleOutsideTheSource)
{
    GeometryImage source(ImageSpec{4, 4, 16}, 6);
    std::vector<BYTE> dst(64, 0xAB);
    source.Crop8BitImage(source, CRect(0, 0, 2, 2), dst.data());
    source.Crop24BitImage(source, CRect(0, 0, 2, 2), dst.data());
    source.Crop16BitImage(source, CRect(2, 1, 5, 3), dst.data());
    source.Crop16BitImage(source, CRect(1, 3, 2, 2), dst.data());
    EXPECT_EQ(dst, std::vector<BYTE>(64, 0xAB));
    // Stored-row terms: rows 1 and 2 of the block, columns 1 and 2.
    source.Crop16BitImage(source, CRect(1, 1, 3, 3), dst.data());
    EXPECT_EQ(std::memcmp(dst.data(), source.Row(1) + 2, 4), 0);
    EXPECT_EQ(std::memcmp(dst.data() + 4, source.Row(2) + 2, 4), 0);
}

// Results of several megabytes are written by another store path; rows start
// at every alignment because the stride is not a multiple of 16.
TEST(CropFrom, LargeResultsCopyTheSameBytes)
{
    const velmoro_test::StreamingScope streaming(1 << 20);
    GeometryImage source(ImageSpec{1503, 1100, 24}, 17);
    CDibEdit target;
    CRect rect(1, 3, 1502, 1099);  // 1501 x 1096, 4.9 MB
    ASSERT_EQ(target.CropFrom(source, &rect), DIB_OK);
    const size_t stride = static_cast<size_t>(StrideOf(target));
    for (int r = 0; r < 1096; ++r) {
        const BYTE* row = target.GetBmpBitsAddress() + stride * r;
        ASSERT_EQ(std::memcmp(row, source.Row(r + 1) + 3, 1501 * 3), 0) << r;
        ASSERT_EQ(row[stride - 1], 0) << r;
    }
}

// ---------------------------------------------------------------- joins

struct FillCase {
    int bits;
    DWORD compression;
    DWORD color;
    std::vector<BYTE> fill;
};

// 0x00FF8040: red 0x40, green 0x80, blue 0xFF.
const FillCase kFillCases[] = {
    {8, BI_RGB, 0x00FF8040, {7}},  // entry 7 holds the colour, entry 12 too: the lowest wins
    {16, BI_RGB, 0x00FF8040, {0x1F, 0x22}},
    {16, BI_BITFIELDS, 0x00FF8040, {0x1F, 0x44}},
    {24, BI_RGB, 0x7FFF8040, {0xFF, 0x80, 0x40}},  // the top byte plays no part
};

GeometryImage MakeJoinImage(const FillCase& c, int width, int height, uint32_t seed)
{
    GeometryImage image(ImageSpec{width, height, c.bits, c.compression}, seed);
    if (c.bits == 8) {
        SetEntry(image, 7, c.color);
        SetEntry(image, 12, c.color);
        for (int i = 0; i < 7; ++i)
            SetEntry(image, i, 0x00010203);
    }
    return image;
}

TEST(JoinHorz, ImagesAlignAtTheTopWithAFillBandUnderTheShorter)
{
    for (const FillCase& c : kFillCases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, compression " << c.compression);
        // this: 3 x 10, other: 2 x 4, and the other way round.
        for (bool thisIsTaller : {true, false}) {
            GeometryImage image = MakeJoinImage(c, 3, thisIsTaller ? 10 : 4, 21);
            const GeometryImage original = image;
            GeometryImage other = MakeJoinImage(c, 2, thisIsTaller ? 4 : 10, 22);
            const BITMAPINFO* info = image.GetBmpInfoAddress();
            const std::vector<BYTE> infoBefore = image.InfoCopy();
            ASSERT_EQ(image.JoinHorz(other, c.color), DIB_OK);
            ASSERT_EQ(image.GetWidth(), 5);
            ASSERT_EQ(image.GetHeight(), 10);
            EXPECT_EQ(image.GetBmpInfoAddress(), info);  // info block and colour table kept
            EXPECT_EQ(std::memcmp(image.GetColorTabAddress(), infoBefore.data() + 40, infoBefore.size() - 40), 0);
            for (int y = 0; y < 10; ++y) {
                for (int x = 0; x < 5; ++x) {
                    const GeometryImage& part = x < 3 ? original : other;
                    const int px = x < 3 ? x : x - 3;
                    const std::vector<BYTE> expected = y < part.GetHeight() ? PixelAt(part, px, y) : c.fill;
                    ASSERT_EQ(PixelAt(image, x, y), expected) << x << "," << y;
                }
            }
            EXPECT_TRUE(PaddingIsZero(image));
        }
    }
}

TEST(JoinVert, ImagesAlignAtTheLeftWithAFillBandBesideTheNarrower)
{
    for (const FillCase& c : kFillCases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, compression " << c.compression);
        // this: 5 wide, above; other: 8 wide, below; and the other way round.
        for (bool thisIsNarrower : {true, false}) {
            GeometryImage image = MakeJoinImage(c, thisIsNarrower ? 5 : 8, 3, 31);
            const GeometryImage original = image;
            GeometryImage other = MakeJoinImage(c, thisIsNarrower ? 8 : 5, 4, 32);
            ASSERT_EQ(image.JoinVert(other, c.color), DIB_OK);
            ASSERT_EQ(image.GetWidth(), 8);
            ASSERT_EQ(image.GetHeight(), 7);
            for (int y = 0; y < 7; ++y) {
                const GeometryImage& part = y < 3 ? original : other;
                const int py = y < 3 ? y : y - 3;
                for (int x = 0; x < 8; ++x) {
                    const std::vector<BYTE> expected = x < part.GetWidth() ? PixelAt(part, x, py) : c.fill;
                    ASSERT_EQ(PixelAt(image, x, y), expected) << x << "," << y;
                }
            }
            EXPECT_TRUE(PaddingIsZero(image));
        }
    }
}

TEST(JoinVert, EqualWidthsStackWholeBlocksPaddingIncluded)
{
    GeometryImage image(ImageSpec{5, 3, 8}, 41);
    const std::vector<BYTE> upper = image.PixelCopy();
    GeometryImage other(ImageSpec{5, 2, 8}, 42);
    ASSERT_EQ(image.JoinVert(other, 0), DIB_OK);
    std::vector<BYTE> expected = other.PixelCopy();
    expected.insert(expected.end(), upper.begin(), upper.end());
    EXPECT_EQ(Pixels(image), expected);
}

TEST(Joins, LargeResultsCopyTheSameBytes)
{
    const velmoro_test::StreamingScope streaming(1 << 20);
    GeometryImage left(ImageSpec{701, 1100, 24}, 18), right(ImageSpec{702, 1000, 24}, 19);
    const GeometryImage original = left;
    ASSERT_EQ(left.JoinHorz(right, 0x00FF8040), DIB_OK);
    const size_t stride = static_cast<size_t>(StrideOf(left));
    for (int r = 0; r < 1100; ++r) {
        const BYTE* row = left.GetBmpBitsAddress() + stride * r;
        ASSERT_EQ(std::memcmp(row, original.Row(r), 701 * 3), 0) << r;
        if (r >= 100)
            ASSERT_EQ(std::memcmp(row + 701 * 3, right.Row(r - 100), 702 * 3), 0) << r;
        else
            ASSERT_EQ(std::memcmp(row + 701 * 3, "\xFF\x80\x40", 3), 0) << r;
    }
    GeometryImage upper(ImageSpec{1403, 600, 24}, 20), lower(ImageSpec{1403, 601, 24}, 21);
    std::vector<BYTE> expected = lower.PixelCopy();
    const std::vector<BYTE> upperBytes = upper.PixelCopy();
    expected.insert(expected.end(), upperBytes.begin(), upperBytes.end());
    ASSERT_EQ(upper.JoinVert(lower, 0), DIB_OK);
    EXPECT_EQ(Pixels(upper), expected);
}

TEST(Joins, EightBitFillWithoutAMatchingEntryIsIndexZeroAndOtherIndicesStayAsStored)
{
    GeometryImage image(ImageSpec{2, 3, 8, BI_RGB, 4}, 51);
    for (int i = 0; i < 4; ++i)
        SetEntry(image, i, 0x00101010 * (i + 1));
    GeometryImage other(ImageSpec{3, 1, 8}, 52);  // its own table is never consulted
    SetEntry(other, 0, 0x00123456);
    const DWORD colours[] = {0x00123456, 0x01101010};  // second: entry 0's colour with a top byte
    for (DWORD color : colours) {
        GeometryImage joined = image;
        ASSERT_EQ(joined.JoinHorz(other, color), DIB_OK);
        EXPECT_EQ(PixelAt(joined, 3, 2), std::vector<BYTE>{0});
        EXPECT_EQ(PixelAt(joined, 4, 0), PixelAt(other, 2, 0));
    }
}

TEST(Joins, AnImageJoinedToItselfDoublesIt)
{
    GeometryImage image(ImageSpec{3, 2, 24}, 61);
    const GeometryImage original = image;
    ASSERT_EQ(image.JoinHorz(image, 0), DIB_OK);
    ASSERT_EQ(image.GetWidth(), 6);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PixelAt(image, x, y), PixelAt(original, x % 3, y));
    ASSERT_EQ(image.JoinVert(image, 0), DIB_OK);
    EXPECT_EQ(image.GetHeight(), 4);
}

TEST(Joins, RefusalsLeaveThisImageAsItWas)
{
    GeometryImage image(ImageSpec{4, 3, 16, BI_RGB}, 71);
    const ImageSnapshot before(image);
    GeometryImage rgb565(ImageSpec{4, 3, 16, BI_BITFIELDS}, 72);
    GeometryImage deep(ImageSpec{4, 3, 24}, 73);
    GeometryImage eight(ImageSpec{4, 3, 8}, 74);
    GeometryImage odd(ImageSpec{4, 3, 32}, 75);
    CDibEdit empty;
    for (auto join : {&CDibEdit::JoinHorz, &CDibEdit::JoinVert}) {
        EXPECT_EQ((image.*join)(rgb565, 0), DIB_ERR_COMPRESSED);
        EXPECT_EQ((image.*join)(deep, 0), DIB_ERR_NOT_16BIT);
        EXPECT_EQ((image.*join)(empty, 0), DIB_ERR_EMPTY);
        EXPECT_EQ((empty.*join)(image, 0), DIB_ERR_EMPTY);
        EXPECT_EQ((eight.*join)(deep, 0), DIB_ERR_NOT_8BIT);
        EXPECT_EQ((deep.*join)(eight, 0), DIB_ERR_NOT_24BIT);
        EXPECT_EQ((odd.*join)(odd, 0), DIB_ERR_BAD_DEPTH);
    }
    // The workers check both images themselves.
    EXPECT_EQ(image.Join24BitHorz(deep, 0), DIB_ERR_NOT_24BIT);
    EXPECT_EQ(image.Join16BitVert(empty, 0), DIB_ERR_EMPTY);
    EXPECT_TRUE(before.Matches(image));
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(Joins, ASizeBeyondTheHeaderIsRefused)
{
    GeometryImage image(ImageSpec{1, 1, 8}, 81);
    GeometryImage other(ImageSpec{1, 1, 8}, 82);
    // Zero rows keep the blocks tiny; only the width sum overflows.
    image.GetBmpInfoAddress()->bmiHeader.biHeight = 0;
    image.GetBmpInfoAddress()->bmiHeader.biWidth = 0x7FFFFFF0;
    other.GetBmpInfoAddress()->bmiHeader.biHeight = 0;
    other.GetBmpInfoAddress()->bmiHeader.biWidth = 0x20;
    const BYTE* bits = image.GetBmpBitsAddress();
    EXPECT_EQ(image.JoinHorz(other, 0), DIB_ERR_NO_MEMORY);
    EXPECT_EQ(image.GetBmpBitsAddress(), bits);
    EXPECT_EQ(image.GetWidth(), 0x7FFFFFF0);
}

// ---------------------------------------------------------------- flips

std::vector<BYTE> MirroredRows(const TestImage& image)
{
    std::vector<BYTE> expected = image.PixelCopy();
    const int b = BytesPerPixel(image), w = image.GetWidth();
    for (int r = 0; r < image.GetHeight(); ++r)
        for (int x = 0; x < w; ++x)
            std::memcpy(&expected[static_cast<size_t>(image.Stride()) * r + x * b], image.Row(r) + (w - 1 - x) * b, b);
    return expected;
}

// Widths cover every block remainder of the vector paths, with and without AVX2.
TEST(InvertDibHorz, MirrorsEveryRowAndKeepsPaddingAtEachDepth)
{
    for (VectorRows rows : VectorRowsChoices()) {
        VectorRowsScope scope(rows);
        for (int bits : {8, 16, 24}) {
            for (int width = 1; width <= 100; ++width) {
                for (int width2 : {width, width + 1919}) {
                    SCOPED_TRACE(testing::Message() << bits << " bits, width " << width2 << ", " << Name(rows) << " rows");
                    const GeometryImage source(ImageSpec{width2, 3, bits}, static_cast<uint32_t>(width2));
                    // A copy's block ends flush with its last row, so an overread shows under ASan.
                    CDibEdit image;
                    ASSERT_EQ(image.CopyDib(source), DIB_OK);
                    ASSERT_EQ(image.InvertDibHorz(), DIB_OK);
                    ASSERT_EQ(Pixels(image), MirroredRows(source));
                    ASSERT_EQ(image.InvertDibHorz(), DIB_OK);
                    ASSERT_EQ(Pixels(image), source.PixelCopy());
                }
            }
        }
    }
}

TEST(InvertDibVert, ExchangesWholeStoredRowsAndTwiceRestores)
{
    for (VectorRows rows : VectorRowsChoices()) {
        VectorRowsScope scope(rows);
        for (int width : {5, 37, 100, 1921}) {
            for (int height : {1, 2, 5, 6}) {
                SCOPED_TRACE(testing::Message() << width << " x " << height << ", " << Name(rows) << " rows");
                GeometryImage image(ImageSpec{width, height, 24}, static_cast<uint32_t>(width + height));
                const std::vector<BYTE> original = image.PixelCopy();
                const size_t stride = static_cast<size_t>(image.Stride());
                ASSERT_EQ(image.InvertDibVert(), DIB_OK);
                for (int r = 0; r < height; ++r)
                    ASSERT_EQ(std::memcmp(image.Row(r), &original[stride * (height - 1 - r)], stride), 0) << r;
                ASSERT_EQ(image.InvertDibVert(), DIB_OK);
                ASSERT_EQ(image.PixelCopy(), original);
            }
        }
    }
}

TEST(Flips, RefuseEmptyAndUnsupportedImages)
{
    CDibEdit empty;
    EXPECT_EQ(empty.InvertDibVert(), DIB_ERR_EMPTY);
    EXPECT_EQ(empty.InvertDibHorz(), DIB_ERR_EMPTY);
    GeometryImage odd(ImageSpec{5, 3, 4}, 91);
    const ImageSnapshot before(odd);
    EXPECT_EQ(odd.InvertDibVert(), DIB_ERR_BAD_DEPTH);
    EXPECT_EQ(odd.InvertDibHorz(), DIB_ERR_BAD_DEPTH);
    EXPECT_TRUE(before.Matches(odd));
}

// ---------------------------------------------------------------- failed allocations

#if defined(VELMORO_TEST_SWITCHES)
// Every allocation of each operation fails in turn: DIB_ERR_NO_MEMORY, and this
// image exactly as it was. Returns how many allocations the operation makes.
template <class Operation>
int FailEachAllocation(CDibEdit& image, Operation operation)
{
    return velmoro_test::ForEachAllocationFailure([&](int failAt) {
        const ImageSnapshot before(image);
        const DWORD code = operation();
        if (code == DIB_OK)
            return true;
        EXPECT_EQ(code, DIB_ERR_NO_MEMORY) << failAt;
        EXPECT_TRUE(before.Matches(image)) << failAt;
        return false;
    });
}

TEST(GeometryAllocationFailure, LeavesThisImageAsItWas)
{
    GeometryImage source(ImageSpec{9, 7, 8, BI_RGB, 30}, 101);
    GeometryImage image(ImageSpec{4, 3, 8}, 102);
    CRect rect(1, 1, 5, 6);
    EXPECT_EQ(FailEachAllocation(image, [&] { return image.CropFrom(source, &rect); }), 2);
    EXPECT_EQ(image.GetWidth(), 4);
    GeometryImage sameSize(ImageSpec{4, 5, 8}, 103);  // keeps its pixel block: only the info block is new
    EXPECT_EQ(FailEachAllocation(sameSize, [&] { return sameSize.CropFrom(source, &rect); }), 1);
    EXPECT_EQ(FailEachAllocation(image, [&] { return image.JoinHorz(source, 0); }), 1);
    EXPECT_EQ(FailEachAllocation(image, [&] { return image.JoinVert(source, 0); }), 1);
    EXPECT_EQ(FailEachAllocation(image, [&] { return image.InvertDibVert(); }), 0);  // needs no memory
}
#endif

}  // namespace
