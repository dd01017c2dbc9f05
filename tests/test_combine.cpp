// SPDX-License-Identifier: MIT
// Colour-key compositing: clipping of the caller's point and rectangle, the key per
// depth, refusals that change nothing, aliasing of the receiving object, and the SIMD
// twins against the plain rows and a straightforward model of the result.
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

using velmoro_test::ImageSnapshot;
using velmoro_test::ImageSpec;
using velmoro_test::SimdScope;
using velmoro_test::TestImage;
using velmoro_test::VectorRows;
using velmoro_test::VectorRowsChoices;
using velmoro_test::VectorRowsScope;

namespace {

TestImage MakeImage(int width, int height, int bitCount, uint32_t seed, DWORD compression = BI_RGB)
{
    TestImage image(ImageSpec{width, height, bitCount, compression, -1}, seed);
    image.FitPixelBlock();
    return image;
}

BYTE* PixelAt(const TestImage& image, int x, int y)
{
    return image.Row(image.GetHeight() - 1 - y) + x * (image.GetBitCount() / 8);
}

void SetPixel(const TestImage& image, int x, int y, uint32_t value)
{
    for (int i = 0; i < image.GetBitCount() / 8; ++i)
        PixelAt(image, x, y)[i] = static_cast<BYTE>(value >> (8 * i));
}

uint32_t GetPixel(const TestImage& image, int x, int y)
{
    uint32_t value = 0;
    for (int i = 0; i < image.GetBitCount() / 8; ++i)
        value |= static_cast<uint32_t>(PixelAt(image, x, y)[i]) << (8 * i);
    return value;
}

void SetEntry(const TestImage& image, int index, DWORD color)
{
    image.GetColorTabAddress()[index] = RGBQUAD{GetBValue(color), GetGValue(color), GetRValue(color), 0};
}

// The key as the pixels hold it, worked out from the colour without the library.
uint32_t KeyPixel(const TestImage& overlay, DWORD key)
{
    const int red = GetRValue(key), green = GetGValue(key), blue = GetBValue(key);
    switch (overlay.GetBitCount()) {
    case 8: {
        const int entries = std::min(256, overlay.GetNumColorEntry());
        for (int i = 0; i < entries; ++i) {
            const RGBQUAD& e = overlay.GetColorTabAddress()[i];
            if (key == RGB(e.rgbRed, e.rgbGreen, e.rgbBlue))
                return static_cast<uint32_t>(i);
        }
        return 0;
    }
    case 16:
        if (overlay.GetCompression() == BI_BITFIELDS)
            return static_cast<uint32_t>((red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3));
        return static_cast<uint32_t>((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3));
    default:
        return static_cast<uint32_t>(blue | green << 8 | red << 16);
    }
}

// The base's bytes with the overlay's w x h area at (sx, sy) drawn at (dx, dy), all
// top-down; key pixels are left out when keying is on.
std::vector<BYTE> ModelComposite(const TestImage& base, const TestImage& overlay, CPoint dest, CRect source,
                                 bool useKey, uint32_t keyPixel)
{
    TestImage result(base);
    const int width = std::max(0, std::min<int>(base.GetWidth() - dest.x, source.Width()));
    const int height = std::max(0, std::min<int>(base.GetHeight() - dest.y, source.Height()));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t o = GetPixel(overlay, source.left + x, source.top + y);
            if (!useKey || o != keyPixel)
                SetPixel(result, dest.x + x, dest.y + y, o);
        }
    }
    return result.PixelCopy();
}

TEST(CombineDibClipping, NegativePointCutsTheSourceRectangle)
{
    TestImage base = MakeImage(40, 30, 24, 1);
    TestImage overlay = MakeImage(60, 50, 24, 2);
    TestImage result;
    CPoint point(-10, -5);
    CRect rect(0, 0, 50, 40);
    ASSERT_EQ(DIB_OK, result.CombineDib(base, overlay, 0, &point, &rect, 0));
    EXPECT_EQ(CPoint(0, 0), point);
    EXPECT_EQ(CRect(10, 5, 50, 40), rect);
    EXPECT_EQ(ModelComposite(base, overlay, point, rect, false, 0), result.PixelCopy());
    EXPECT_EQ(base.InfoCopy(), result.InfoCopy());

    // Without a rectangle a negative point shifts nothing: the whole overlay from (0, 0).
    CPoint alone(-10, -5);
    ASSERT_EQ(DIB_OK, result.CombineDib(base, overlay, 0, &alone, nullptr, 0));
    EXPECT_EQ(CPoint(0, 0), alone);
    EXPECT_EQ(ModelComposite(base, overlay, CPoint(0, 0), CRect(0, 0, 60, 50), false, 0), result.PixelCopy());
}

TEST(CombineDibClipping, RectanglesAreCutToTheOverlayAndTheRoomLeft)
{
    TestImage target = MakeImage(20, 16, 8, 3);
    const TestImage before(target);
    TestImage overlay = MakeImage(12, 10, 8, 4);
    CPoint point(15, 3);
    CRect rect(2, 1, 100, 200);
    ASSERT_EQ(DIB_OK, target.CombineDib(overlay, 0, &point, &rect, 0));
    EXPECT_EQ(CRect(2, 1, 12, 10), rect);
    EXPECT_EQ(CPoint(15, 3), point);
    // Five columns of room right of x = 15; the nine rows of the rectangle fit.
    EXPECT_EQ(ModelComposite(before, overlay, point, rect, false, 0), target.PixelCopy());

    // A rectangle starting beyond the overlay is left inverted in the caller's object and draws nothing.
    CRect beyond(30, 0, 40, 5);
    ASSERT_EQ(DIB_OK, target.CombineDib(overlay, 0, nullptr, &beyond, 0));
    EXPECT_EQ(CRect(30, 0, 12, 5), beyond);
}

TEST(CombineDibClipping, PointOnTheEdgeGivesAFreshCopyOfTheBase)
{
    TestImage base = MakeImage(9, 7, 16, 5);
    TestImage overlay = MakeImage(4, 4, 16, 6);
    for (CPoint edge : {CPoint(9, 0), CPoint(0, 7), CPoint(9, 7)}) {
        TestImage result = MakeImage(3, 3, 24, 7);
        ASSERT_EQ(DIB_OK, result.CombineDib(base, overlay, 0, &edge, nullptr, 1));
        EXPECT_EQ(base.InfoCopy(), result.InfoCopy());
        EXPECT_EQ(base.PixelCopy(), result.PixelCopy());
        EXPECT_NE(base.GetBmpBitsAddress(), result.GetBmpBitsAddress());
    }
}

TEST(CombineDibClipping, BadGeometryIsRefusedBeforeTheCallersObjectsChange)
{
    TestImage target = MakeImage(10, 8, 24, 8);
    TestImage overlay = MakeImage(6, 6, 24, 9);
    const ImageSnapshot snapshot(target);
    struct Case {
        CPoint point;
        CRect rect;
        DWORD code;
    };
    for (const Case& c : {Case{CPoint(11, 0), CRect(0, 0, 6, 6), DIB_ERR_BAD_POSITION},
                          Case{CPoint(0, 9), CRect(0, 0, 6, 6), DIB_ERR_BAD_POSITION},
                          Case{CPoint(-3, -3), CRect(5, 0, 4, 6), DIB_ERR_BAD_ARGUMENT},
                          Case{CPoint(-3, -3), CRect(0, 5, 6, 4), DIB_ERR_BAD_ARGUMENT}}) {
        CPoint point = c.point;
        CRect rect = c.rect;
        TestImage fresh;
        EXPECT_EQ(c.code, target.CombineDib(overlay, 0, &point, &rect, 0));
        EXPECT_EQ(c.code, fresh.CombineDib(target, overlay, 0, &point, &rect, 0));
        EXPECT_EQ(c.point, point);
        EXPECT_EQ(c.rect, rect);
        EXPECT_TRUE(snapshot.Matches(target));
        EXPECT_TRUE(fresh.IsEmpty());
    }
}

TEST(CombineDibRefusals, EmptyImagesAndMismatchesChangeNothing)
{
    TestImage empty;
    TestImage image8 = MakeImage(5, 5, 8, 10);
    TestImage image24 = MakeImage(5, 5, 24, 11);
    TestImage image32 = MakeImage(5, 5, 32, 12);
    TestImage other32 = MakeImage(5, 5, 32, 13);
    TestImage rgb555 = MakeImage(5, 5, 16, 14, BI_RGB);
    TestImage rgb565 = MakeImage(5, 5, 16, 15, BI_BITFIELDS);
    const ImageSnapshot snap8(image8), snap24(image24), snap555(rgb555), snap32(image32);
    CPoint point(-1, -1);

    EXPECT_EQ(DIB_ERR_EMPTY, empty.CombineDib(image8, 0, &point, nullptr, 1));
    EXPECT_EQ(DIB_ERR_EMPTY, image8.CombineDib(empty, 0, &point, nullptr, 1));
    EXPECT_EQ(DIB_ERR_EMPTY, image8.CombineDib(empty, image8, 0, &point, nullptr, 1));
    EXPECT_EQ(DIB_ERR_EMPTY, image8.CombineDib(image8, empty, 0, &point, nullptr, 1));
    EXPECT_EQ(DIB_ERR_BAD_DEPTH, image8.CombineDib(image24, 0, &point, nullptr, 1));
    EXPECT_EQ(DIB_ERR_BAD_DEPTH, image24.CombineDib(image24, image8, 0, &point, nullptr, 1));
    EXPECT_EQ(DIB_ERR_BAD_DEPTH, image32.CombineDib(other32, 0, &point, nullptr, 1));
    EXPECT_EQ(DIB_ERR_COMPRESSED, rgb555.CombineDib(rgb565, 0, &point, nullptr, 1));
    EXPECT_EQ(DIB_ERR_COMPRESSED, rgb555.CombineDib(rgb555, rgb565, 0, &point, nullptr, 1));

    EXPECT_EQ(CPoint(-1, -1), point);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(snap8.Matches(image8));
    EXPECT_TRUE(snap24.Matches(image24));
    EXPECT_TRUE(snap555.Matches(rgb555));
    EXPECT_TRUE(snap32.Matches(image32));
}

TEST(CombineDibKeys, EightBitKeyIsTheFirstMatchingEntryOrIndexZero)
{
    TestImage overlay = MakeImage(4, 1, 8, 16);
    const DWORD key = RGB(10, 20, 30);
    for (int i = 0; i < 256; ++i)
        SetEntry(overlay, i, RGB(200, 200, static_cast<BYTE>(i)));
    SetEntry(overlay, 9, key);
    SetEntry(overlay, 12, key);
    for (int x = 0; x < 4; ++x)
        SetPixel(overlay, x, 0, static_cast<uint32_t>(x == 0 ? 9 : x == 1 ? 12 : x == 2 ? 0 : 5));
    for (bool simd : {false, true}) {
        SimdScope scope(simd);
        TestImage target = MakeImage(4, 1, 8, 17);
        const TestImage before(target);
        ASSERT_EQ(DIB_OK, target.CombineDib(overlay, key, nullptr, nullptr, 1));
        EXPECT_EQ(GetPixel(before, 0, 0), GetPixel(target, 0, 0));  // index 9 is the key
        EXPECT_EQ(12u, GetPixel(target, 1, 0));

        // Not in the table, or with a non-zero top byte: index 0 becomes the key.
        for (DWORD missing : {RGB(1, 2, 3), key | 0x01000000u}) {
            TestImage again(before);
            ASSERT_EQ(DIB_OK, again.CombineDib(overlay, missing, nullptr, nullptr, 1));
            EXPECT_EQ(9u, GetPixel(again, 0, 0));
            EXPECT_EQ(GetPixel(before, 2, 0), GetPixel(again, 2, 0));
            EXPECT_EQ(5u, GetPixel(again, 3, 0));
        }
    }
}

// Masks before an 8-bit table are no entries: the key is searched behind them.
TEST(CombineDibKeys, EightBitKeySkipsBitfieldMasks)
{
    TestImage overlay(ImageSpec{2, 1, 8, BI_BITFIELDS, 2}, 3);
    overlay.Entries()[0] = RGBQUAD{0, 0, 0, 0};
    overlay.Entries()[1] = RGBQUAD{255, 255, 255, 0};
    SetPixel(overlay, 0, 0, 1);
    SetPixel(overlay, 1, 0, 0);
    for (bool simd : {false, true}) {
        SimdScope scope(simd);
        TestImage target(ImageSpec{2, 1, 8, BI_BITFIELDS, 2}, 4);
        SetPixel(target, 0, 0, 0x77);
        SetPixel(target, 1, 0, 0x77);
        ASSERT_EQ(DIB_OK, target.CombineDib(overlay, RGB(255, 255, 255), nullptr, nullptr, 1));
        EXPECT_EQ(GetPixel(target, 0, 0), 0x77u);  // white, index 1, is the key
        EXPECT_EQ(GetPixel(target, 1, 0), 0u);
    }
}

TEST(CombineDibKeys, SixteenBitKeyIsPackedByTheLayoutAndIgnoresTheTopByte)
{
    for (DWORD compression : {DWORD{BI_RGB}, DWORD{BI_BITFIELDS}}) {
        TestImage overlay = MakeImage(3, 1, 16, 18, compression);
        // Colours that reduce to the same 5-5-5 and 5-6-5 value as (0x48, 0x8C, 0xF8).
        SetPixel(overlay, 0, 0, compression == BI_BITFIELDS ? 0x4C7Fu : 0x263Fu);
        SetPixel(overlay, 1, 0, 0x1234u);
        for (DWORD key : {RGB(0x48, 0x8C, 0xF8), RGB(0x4F, 0x8F, 0xFF), RGB(0x48, 0x8C, 0xF8) | 0xFF000000u}) {
            for (bool simd : {false, true}) {
                SimdScope scope(simd);
                TestImage target = MakeImage(3, 1, 16, 19, compression);
                const TestImage before(target);
                ASSERT_EQ(DIB_OK, target.CombineDib(overlay, key, nullptr, nullptr, 1));
                EXPECT_EQ(GetPixel(before, 0, 0), GetPixel(target, 0, 0));
                EXPECT_EQ(0x1234u, GetPixel(target, 1, 0));
            }
        }
    }
}

TEST(CombineDibKeys, TwentyFourBitKeyAndTheWholeKeySwitch)
{
    TestImage overlay = MakeImage(24, 2, 24, 20);
    const DWORD key = RGB(0x11, 0x22, 0x33);
    for (int x = 0; x < 24; ++x)
        SetPixel(overlay, x, 0, x % 2 ? 0x112233u : 0x112234u);  // keys, and near misses
    for (bool simd : {false, true}) {
        SimdScope scope(simd);
        TestImage target = MakeImage(24, 2, 24, 21);
        const TestImage before(target);
        // 0x100 has a zero low byte and still switches keying on.
        ASSERT_EQ(DIB_OK, target.CombineDib(overlay, key | 0xAB000000u, nullptr, nullptr, 0x100));
        for (int x = 0; x < 24; ++x)
            EXPECT_EQ(x % 2 ? GetPixel(before, x, 0) : 0x112234u, GetPixel(target, x, 0)) << x;

        // With the switch at 0 the key colour is copied like any other.
        ASSERT_EQ(DIB_OK, target.CombineDib(overlay, key, nullptr, nullptr, 0));
        EXPECT_EQ(overlay.PixelCopy(), target.PixelCopy());
    }
}

TEST(CombineDibAliasing, ReceivingObjectMayBeTheBaseOrTheOverlay)
{
    for (bool simd : {false, true}) {
        SimdScope scope(simd);
        const TestImage base = MakeImage(13, 9, 16, 22, BI_BITFIELDS);
        const TestImage overlay = MakeImage(7, 5, 16, 23, BI_BITFIELDS);
        const DWORD key = RGB(0x80, 0x40, 0x20);
        const std::vector<BYTE> expected =
            ModelComposite(base, overlay, CPoint(3, 2), CRect(0, 0, 7, 5), true, KeyPixel(overlay, key));
        TestImage onBase(base), onOverlay(overlay), otherOverlay(overlay), otherBase(base);
        CPoint point(3, 2);
        ASSERT_EQ(DIB_OK, onBase.CombineDib(onBase, otherOverlay, key, &point, nullptr, 1));
        EXPECT_EQ(expected, onBase.PixelCopy());
        ASSERT_EQ(DIB_OK, onOverlay.CombineDib(otherBase, onOverlay, key, &point, nullptr, 1));
        EXPECT_EQ(expected, onOverlay.PixelCopy());
        EXPECT_EQ(base.InfoCopy(), onOverlay.InfoCopy());
    }
}

// Drawing an image into itself composites from the picture as it was before the call,
// whichever way source and destination overlap.
TEST(CombineDibAliasing, OverlayIsTheReceivingObjectItself)
{
    std::mt19937 rng(24);
    for (int bitCount : {8, 16, 24}) {
        for (int trial = 0; trial < 40; ++trial) {
            const int width = 1 + static_cast<int>(rng() % 3000), height = 1 + static_cast<int>(rng() % 4);
            TestImage image = MakeImage(width, height, bitCount, rng());
            const DWORD key = rng() & 0xFFFFFF;
            for (int x = 0; x < width; x += 3)
                SetPixel(image, x, 0, KeyPixel(image, key));
            const CPoint point(static_cast<LONG>(rng() % width), static_cast<LONG>(rng() % height));
            const CRect rect(static_cast<LONG>(rng() % width), 0, width, height);
            for (bool simd : {false, true}) {
                SimdScope scope(simd);
                TestImage self(image), copy(image);
                CPoint selfPoint = point, copyPoint = point;
                CRect selfRect = rect, copyRect = rect;
                ASSERT_EQ(DIB_OK, self.CombineDib(self, key, &selfPoint, &selfRect, trial % 2));
                ASSERT_EQ(DIB_OK, copy.CombineDib(image, key, &copyPoint, &copyRect, trial % 2));
                ASSERT_EQ(copy.PixelCopy(), self.PixelCopy()) << bitCount << " bits, width " << width;
            }
        }
    }
}

struct RandomCase {
    TestImage base;
    TestImage overlay;
    DWORD key;
    bool hasPoint, hasRect;
    CPoint point;
    CRect rect;
    int useKey;
};

// Overlays with about a third key pixels, near misses that differ in one byte, and
// random rectangles and points that start at any column, inside or outside.
RandomCase MakeRandomCase(std::mt19937& rng, int bitCount, int overlayWidth)
{
    const DWORD compression = bitCount == 16 && rng() % 2 ? BI_BITFIELDS : BI_RGB;
    const int overlayHeight = 1 + static_cast<int>(rng() % 6);
    RandomCase c{MakeImage(1 + static_cast<int>(rng() % 80), 1 + static_cast<int>(rng() % 8), bitCount, rng(), compression),
                 MakeImage(overlayWidth, overlayHeight, bitCount, rng(), compression),
                 static_cast<DWORD>(rng()) & (rng() % 2 ? 0xFFFFFFu : 0xFFFFFFFFu),
                 rng() % 4 != 0,
                 rng() % 3 != 0,
                 CPoint(),
                 CRect(),
                 static_cast<int>(rng() % 5 == 0 ? 0 : 1 + rng() % 0x200)};
    if (bitCount == 8)
        SetEntry(c.overlay, static_cast<int>(rng() % 256), c.key);
    const uint32_t keyPixel = KeyPixel(c.overlay, c.key);
    for (int y = 0; y < overlayHeight; ++y) {
        for (int x = 0; x < overlayWidth; ++x) {
            const unsigned roll = rng() % 10;
            if (roll < 3)
                SetPixel(c.overlay, x, y, keyPixel);
            else if (roll < 5)
                SetPixel(c.overlay, x, y, keyPixel ^ (1u << (8 * (rng() % (bitCount / 8)) + rng() % 8)));
        }
    }
    const auto around = [&rng](int size) { return static_cast<LONG>(rng() % (2 * size + 3)) - size - 1; };
    c.point = CPoint(around(c.base.GetWidth()), around(c.base.GetHeight()));
    const LONG left = around(overlayWidth), top = around(overlayHeight);
    c.rect = CRect(left, top, left + static_cast<LONG>(rng() % (overlayWidth + 4)),
                   top + static_cast<LONG>(rng() % (overlayHeight + 4)));
    return c;
}

struct Outcome {
    DWORD code;
    CPoint point;
    CRect rect;
    std::vector<BYTE> info;
    std::vector<BYTE> pixels;
};

Outcome RunCombine(const RandomCase& c, bool threeImages, bool simd)
{
    SimdScope scope(simd);
    Outcome out{0, c.point, c.rect, {}, {}};
    TestImage target(c.base), overlay(c.overlay), result = MakeImage(2, 2, 8, 99);
    CPoint* point = c.hasPoint ? &out.point : nullptr;
    CRect* rect = c.hasRect ? &out.rect : nullptr;
    TestImage& changed = threeImages ? result : target;
    out.code = threeImages ? result.CombineDib(target, overlay, c.key, point, rect, c.useKey)
                           : target.CombineDib(overlay, c.key, point, rect, c.useKey);
    out.info = changed.InfoCopy();
    out.pixels = changed.PixelCopy();
    return out;
}

// Plain against SIMD (AVX2 and SSE2) for overlay widths 1 to 67, and both against the model.
TEST(CombineDibTwins, MatchPlainRowsAndTheModelForEveryWidthAndColumn)
{
    std::mt19937 rng(2024);
    for (VectorRows rows : VectorRowsChoices()) {
        VectorRowsScope scope(rows);
        for (int bitCount : {8, 16, 24}) {
            for (int width = 1; width <= 67; ++width) {
                const RandomCase c = MakeRandomCase(rng, bitCount, width);
                for (bool threeImages : {false, true}) {
                    const Outcome plain = RunCombine(c, threeImages, false);
                    const Outcome twin = RunCombine(c, threeImages, true);
                    SCOPED_TRACE(testing::Message() << bitCount << " bits, width " << width << ", " << Name(rows) << " rows"
                                                    << ", three images " << threeImages);
                    ASSERT_EQ(plain.code, twin.code);
                    EXPECT_EQ(plain.point, twin.point);
                    EXPECT_EQ(plain.rect, twin.rect);
                    EXPECT_EQ(plain.info, twin.info);
                    ASSERT_EQ(plain.pixels, twin.pixels);
                    if (plain.code != DIB_OK)
                        continue;
                    const CPoint dest = c.hasPoint ? plain.point : CPoint(0, 0);
                    const CRect source = c.hasRect ? plain.rect : CRect(0, 0, width, c.overlay.GetHeight());
                    ASSERT_EQ(ModelComposite(c.base, c.overlay, dest, source, c.useKey != 0, KeyPixel(c.overlay, c.key)),
                              plain.pixels);
                }
            }
        }
    }
}

// Every vector rung the processor has (SSE2 and AVX2, or NEON) against the plain
// rows, for runs from 1 to 67 pixels and one of 1001, from odd columns of the
// overlay to odd columns of the base, drawn onto the base itself and into a third
// image, flag on and off; and both against the model.
TEST(CombineDibTwins, LongAndShortRunsFromOddColumnsMatchThePlainRows)
{
    std::mt19937 rng(67);
    for (VectorRows rows : VectorRowsChoices()) {
        VectorRowsScope vectorRows(rows);
        for (int bitCount : {8, 16, 24}) {
            for (int width : velmoro_test::TwinTestWidths()) {
                const int column = 1 + 2 * static_cast<int>(rng() % 3);
                const DWORD compression = bitCount == 16 && width % 2 ? BI_BITFIELDS : BI_RGB;
                TestImage base = MakeImage(width + 2 * column, 2, bitCount, rng(), compression);
                TestImage overlay = MakeImage(width + column + 1, 2, bitCount, rng(), compression);
                const DWORD key = RGB(rng(), rng(), rng());
                if (bitCount == 8)
                    SetEntry(overlay, static_cast<int>(rng() % 256), key);
                const uint32_t keyPixel = KeyPixel(overlay, key);
                // A third key pixels, a sixth near misses one bit away in any byte.
                for (int y = 0; y < 2; ++y) {
                    for (int x = 0; x < overlay.GetWidth(); ++x) {
                        const unsigned roll = rng() % 6;
                        if (roll < 2)
                            SetPixel(overlay, x, y, keyPixel);
                        else if (roll == 2)
                            SetPixel(overlay, x, y, keyPixel ^ (1u << (8 * (rng() % (bitCount / 8)) + rng() % 8)));
                    }
                }
                const CRect source(column, 0, column + width, 2);
                const std::vector<BYTE> model =
                    ModelComposite(base, overlay, CPoint(column, 0), source, true, keyPixel);
                for (bool simd : {false, true}) {
                    SimdScope scope(simd);
                    SCOPED_TRACE(testing::Message() << bitCount << " bits, width " << width << ", column " << column
                                                    << ", " << Name(rows) << " rows, flag " << simd);
                    TestImage onBase(base), third = MakeImage(2, 2, 8, 5);
                    CPoint point(column, 0), thirdPoint(column, 0);
                    CRect rect = source, thirdRect = source;
                    ASSERT_EQ(DIB_OK, onBase.CombineDib(overlay, key, &point, &rect, 1));
                    ASSERT_EQ(DIB_OK, third.CombineDib(base, overlay, key, &thirdPoint, &thirdRect, 1));
                    ASSERT_EQ(model, onBase.PixelCopy());
                    ASSERT_EQ(model, third.PixelCopy());
                }
            }
        }
    }
}

}  // namespace

namespace {

// A 24-bit overlay whose spans are as wide as asked, drawn from an odd column of the
// overlay to an odd column of the base, so the rows start away from any alignment.
// Key pixels come in runs and alone, next to near misses that differ in one bit of
// one byte; the key's top byte is set, as keying ignores it.
RandomCase MakeWideSpanCase(std::mt19937& rng, int spanWidth)
{
    const int overlayLeft = 1 + 2 * static_cast<int>(rng() % 3), baseLeft = 1 + 2 * static_cast<int>(rng() % 3);
    const int height = 1 + static_cast<int>(rng() % 3);
    RandomCase c{MakeImage(baseLeft + spanWidth + static_cast<int>(rng() % 5), height, 24, rng()),
                 MakeImage(overlayLeft + spanWidth + static_cast<int>(rng() % 5), height, 24, rng()),
                 (static_cast<DWORD>(rng()) & 0xFFFFFFu) | 0x5A000000u,
                 true,
                 true,
                 CPoint(baseLeft, 0),
                 CRect(overlayLeft, 0, overlayLeft + spanWidth, height),
                 1};
    const uint32_t keyPixel = KeyPixel(c.overlay, c.key);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < c.overlay.GetWidth();) {
            const int run = 1 + static_cast<int>(rng() % 9);
            const unsigned roll = rng() % 8;
            for (int i = x; i < std::min(x + run, c.overlay.GetWidth()); ++i) {
                if (roll < 3)
                    SetPixel(c.overlay, i, y, keyPixel);
                else if (roll < 5)
                    SetPixel(c.overlay, i, y, keyPixel ^ (1u << (8 * (rng() % 3) + rng() % 8)));
            }
            x += run;
        }
    }
    return c;
}

// The 24-bit twins against the plain rows at every span width that puts the end of
// a row at another place in the vector step (1 to 67), and at a long row, in both
// forms, with every choice of rows (below AVX2: the SSSE3 row, and the SSE2 row for
// short spans).
TEST(CombineDibTwins, TwentyFourBitSpansFromOddColumnsMatchThePlainRows)
{
    std::mt19937 rng(1001);
    std::vector<int> widths(67);
    for (int i = 0; i < 67; ++i)
        widths[i] = i + 1;
    widths.push_back(1001);
    for (VectorRows rows : VectorRowsChoices()) {
        VectorRowsScope scope(rows);
        for (int width : widths) {
            const RandomCase c = MakeWideSpanCase(rng, width);
            const std::vector<BYTE> model = ModelComposite(c.base, c.overlay, c.point, c.rect, true, KeyPixel(c.overlay, c.key));
            for (bool threeImages : {false, true}) {
                SCOPED_TRACE(testing::Message() << "span " << width << ", " << Name(rows) << " rows, three images "
                                                << threeImages);
                const Outcome plain = RunCombine(c, threeImages, false);
                const Outcome twin = RunCombine(c, threeImages, true);
                ASSERT_EQ(DIB_OK, plain.code);
                ASSERT_EQ(DIB_OK, twin.code);
                ASSERT_EQ(model, plain.pixels);
                ASSERT_EQ(model, twin.pixels);
            }
        }
    }
}

}  // namespace

namespace {

// Overlays as wide as the base, drawn at column 0 over some or all of its rows:
// rows without padding are composited as one span, rows with padding one by one;
// both give what the model gives, plain and SIMD, in both forms, at every depth.
TEST(CombineDibTwins, WholeRowsAtEveryDepthMatchTheModel)
{
    std::mt19937 rng(77);
    for (int bitCount : {8, 16, 24}) {
        for (int width : {4, 5, 8, 64, 67, 1000}) {
            for (int top : {0, 2}) {
                RandomCase c{MakeImage(width, 7, bitCount, rng()),
                             MakeImage(width, 5, bitCount, rng()),
                             RGB(rng() % 256, rng() % 256, rng() % 256),
                             true,
                             top != 0,
                             CPoint(0, top),
                             CRect(0, 0, width, 5),
                             1};
                if (bitCount == 8)
                    SetEntry(c.overlay, static_cast<int>(rng() % 256), c.key);
                const uint32_t keyPixel = KeyPixel(c.overlay, c.key);
                for (int y = 0; y < 5; ++y)
                    for (int x = 0; x < width; ++x)
                        if (rng() % 3 == 0)
                            SetPixel(c.overlay, x, y, keyPixel);
                const std::vector<BYTE> model = ModelComposite(c.base, c.overlay, c.point, c.rect, true, keyPixel);
                for (bool threeImages : {false, true}) {
                    for (bool simd : {false, true}) {
                        SCOPED_TRACE(testing::Message() << bitCount << " bits, width " << width << ", top " << top
                                                        << ", three images " << threeImages << ", simd " << simd);
                        const Outcome outcome = RunCombine(c, threeImages, simd);
                        ASSERT_EQ(DIB_OK, outcome.code);
                        ASSERT_EQ(model, outcome.pixels);
                    }
                }
            }
        }
    }
}

}  // namespace
