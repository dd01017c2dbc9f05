// SPDX-License-Identifier: MIT
// Alpha blending: the worked examples, every field pair and weight against the
// formulas, the 24-bit twin's rounding, aliasing of the receiving object, padding,
// and refusals that change nothing.
#include "support/test_images.h"

#include <gtest/gtest.h>

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

uint16_t Word(const TestImage& image, size_t index)
{
    const BYTE* p = image.GetBmpBitsAddress() + 2 * index;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void SetWord(const TestImage& image, size_t index, uint16_t word)
{
    image.GetBmpBitsAddress()[2 * index] = static_cast<BYTE>(word);
    image.GetBmpBitsAddress()[2 * index + 1] = static_cast<BYTE>(word >> 8);
}

TestImage Pixels16(std::initializer_list<uint16_t> words, DWORD compression)
{
    TestImage image = MakeImage(static_cast<int>(words.size()), 1, 16, 1, compression);
    size_t i = 0;
    for (uint16_t word : words)
        SetWord(image, i++, word);
    return image;
}

TestImage Bytes24(BYTE value)
{
    TestImage image = MakeImage(1, 1, 24, 1);
    std::fill(image.GetBmpBitsAddress(), image.GetBmpBitsAddress() + image.PixelBytes(), value);
    return image;
}

// The formulas as written: widen each field to 8 bits, mix with the quotient rounded
// toward zero, cut back.
uint16_t ModelPixel16(uint16_t weighted, uint16_t rest, unsigned alpha, int divisor, bool is565)
{
    struct Field {
        int position, bits;
    };
    const Field fields[3] = {{is565 ? 11 : 10, 5}, {5, is565 ? 6 : 5}, {0, 5}};
    unsigned result = 0;
    for (const Field& f : fields) {
        const int mask = (1 << f.bits) - 1, widen = 8 - f.bits;
        const int a = ((weighted >> f.position) & mask) << widen, b = ((rest >> f.position) & mask) << widen;
        const int mixed = b + (a - b) * static_cast<int>(alpha) / divisor;
        result |= static_cast<unsigned>(mixed >> widen) << f.position;
    }
    return static_cast<uint16_t>(result);
}

TEST(AlphaBlendExamples, FiveSixFiveWordsAndTheTwoDivisors)
{
    TestImage red = Pixels16({0xF800}, BI_BITFIELDS), blue = Pixels16({0x001F}, BI_BITFIELDS);
    TestImage out = Pixels16({0}, BI_BITFIELDS);
    ASSERT_EQ(DIB_OK, out.AlphaBlendDirect(red, blue, 128));
    EXPECT_EQ(0x780F, Word(out, 0));
    ASSERT_EQ(DIB_OK, out.AlphaBlendDirect(red, blue, 255));
    EXPECT_EQ(0xF800, Word(out, 0));
    // AlphaBlend divides by 256: red 247 before the cut, blue 1.
    ASSERT_EQ(DIB_OK, red.AlphaBlend(blue, 255));
    EXPECT_EQ(0xF000, Word(red, 0));
}

TEST(AlphaBlendExamples, WeightsAtTheEnds)
{
    // 24 bits: alpha 255 is not the identity.
    TestImage white = Bytes24(255), black = Bytes24(0);
    ASSERT_EQ(DIB_OK, white.AlphaBlend(black, 255));
    EXPECT_EQ(254, white.GetBmpBitsAddress()[0]);

    // 16 bits, 5-5-5: the direct blend reproduces its sources at 255 and 0; bit 15 is cleared.
    TestImage first = Pixels16({0xFFFF, 0x8123}, BI_RGB), second = Pixels16({0x8001, 0x7C00}, BI_RGB);
    TestImage out = Pixels16({0, 0}, BI_RGB);
    ASSERT_EQ(DIB_OK, out.AlphaBlendDirect(first, second, 255));
    EXPECT_EQ(0x7FFF, Word(out, 0));
    EXPECT_EQ(0x0123, Word(out, 1));
    ASSERT_EQ(DIB_OK, out.AlphaBlendDirect(first, second, 0));
    EXPECT_EQ(0x0001, Word(out, 0));
    EXPECT_EQ(0x7C00, Word(out, 1));
    ASSERT_EQ(DIB_OK, first.AlphaBlend(second, 0));
    EXPECT_EQ(0x0001, Word(first, 0));
}

TEST(AlphaBlendExamples, DirectTwentyFourBitTwinRoundsTheWholeMixDown)
{
    for (bool simd : {false, true}) {
        SimdScope scope(simd);
        TestImage zero = Bytes24(0), one = Bytes24(1), out = Bytes24(7);
        ASSERT_EQ(DIB_OK, out.AlphaBlendDirect(zero, one, 128));
        EXPECT_EQ(simd ? 0 : 1, out.GetBmpBitsAddress()[0]);
        ASSERT_EQ(DIB_OK, out.AlphaBlendDirect(one, zero, 128));
        EXPECT_EQ(0, out.GetBmpBitsAddress()[0]);
    }
}

// Every pair of field values at every weight, in rows of odd width so that vectors
// and the plain tail both run, with AVX2 and with SSE2.
TEST(AlphaBlendSixteenBit, EveryFieldPairAndWeightMatchesTheFormula)
{
    for (VectorRows rows : VectorRowsChoices()) {
        VectorRowsScope scope(rows);
        for (bool is565 : {false, true}) {
            const DWORD compression = is565 ? BI_BITFIELDS : BI_RGB;
            // 64 x 64 pairs: each field of pixel (i, j) takes i and j (masked), bit 15 set at random.
            const int width = 63, height = 66;
            TestImage first = MakeImage(width, height, 16, 3, compression);
            TestImage second = MakeImage(width, height, 16, 4, compression);
            const int stride = first.Stride();
            std::mt19937 rng(5);
            for (int n = 0; n < 64 * 64; ++n) {
                const unsigned i = n / 64, j = n % 64;
                const auto word = [&](unsigned v) {
                    const unsigned v5 = v & 31;
                    const unsigned fields = is565 ? (v5 << 11 | v << 5 | v5) : (v5 << 10 | v5 << 5 | (v >> 1));
                    return static_cast<uint16_t>(fields | (is565 ? 0 : (rng() & 1) << 15));
                };
                const size_t at = static_cast<size_t>(n / width) * (stride / 2) + n % width;
                SetWord(first, at, word(i));
                SetWord(second, at, word(j));
            }
            for (unsigned alpha = 0; alpha < 256; alpha += rows == VectorRows::kWidest ? 1 : 5) {
                TestImage direct = MakeImage(width, height, 16, 6, compression), mixed(first);
                const std::vector<BYTE> padding = direct.PixelCopy();
                ASSERT_EQ(DIB_OK, direct.AlphaBlendDirect(first, second, static_cast<unsigned char>(alpha)));
                ASSERT_EQ(DIB_OK, mixed.AlphaBlend(second, static_cast<unsigned char>(alpha)));
                for (int y = 0; y < height; ++y) {
                    for (int x = 0; x < width; ++x) {
                        const size_t at = static_cast<size_t>(y) * (stride / 2) + x;
                        ASSERT_EQ(ModelPixel16(Word(first, at), Word(second, at), alpha, 255, is565), Word(direct, at))
                            << "alpha " << alpha << " at " << x << "," << y;
                        ASSERT_EQ(ModelPixel16(Word(first, at), Word(second, at), alpha, 256, is565), Word(mixed, at))
                            << "alpha " << alpha << " at " << x << "," << y;
                    }
                    // The two padding bytes of each row are left alone.
                    ASSERT_EQ(padding[y * stride + stride - 1], direct.Row(y)[stride - 1]);
                    ASSERT_EQ(padding[y * stride + stride - 2], direct.Row(y)[stride - 2]);
                }
            }
        }
    }
}

// Widths 1 to 67 at random weights: every byte of the block, padding included,
// against the two rounding rules; AlphaBlend always rounds toward zero.
TEST(AlphaBlendTwentyFourBit, EveryByteFollowsItsRoundingRule)
{
    std::mt19937 rng(7);
    for (VectorRows rows : VectorRowsChoices()) {
        VectorRowsScope scope(rows);
        for (int width = 1; width <= 67; ++width) {
            const int height = 1 + static_cast<int>(rng() % 4);
            const unsigned alpha = rng() % 4 == 0 ? (rng() % 2) * 255 : rng() % 256;
            TestImage first = MakeImage(width, height, 24, rng()), second = MakeImage(width, height, 24, rng());
            for (bool simd : {false, true}) {
                SimdScope scope(simd);
                TestImage direct = MakeImage(width, height, 24, rng()), mixed(first);
                ASSERT_EQ(DIB_OK, direct.AlphaBlendDirect(first, second, static_cast<unsigned char>(alpha)));
                ASSERT_EQ(DIB_OK, mixed.AlphaBlend(second, static_cast<unsigned char>(alpha)));
                for (size_t i = 0; i < first.PixelBytes(); ++i) {
                    const int a = first.GetBmpBitsAddress()[i], b = second.GetBmpBitsAddress()[i];
                    const int towardZero = b + (a - b) * static_cast<int>(alpha) / 256;
                    const int down = (a * static_cast<int>(alpha) + b * (256 - static_cast<int>(alpha))) >> 8;
                    ASSERT_EQ(simd ? down : towardZero, direct.GetBmpBitsAddress()[i])
                        << "width " << width << " byte " << i << " alpha " << alpha << ", " << Name(rows) << " rows";
                    ASSERT_EQ(towardZero, mixed.GetBmpBitsAddress()[i]) << "width " << width << " byte " << i;
                }
            }
        }
    }
}

// Every byte pair at every weight, in both variants of the direct blend and in AlphaBlend.
TEST(AlphaBlendTwentyFourBit, EveryBytePairAndWeightMatchesTheFormulas)
{
    TestImage first = MakeImage(256, 86, 24, 1), second = MakeImage(256, 86, 24, 2);
    for (size_t n = 0; n < 65536; ++n) {
        first.GetBmpBitsAddress()[n] = static_cast<BYTE>(n >> 8);
        second.GetBmpBitsAddress()[n] = static_cast<BYTE>(n);
    }
    for (int alpha = 0; alpha < 256; ++alpha) {
        TestImage plain(first), twin(first), mixed(first);
        {
            SimdScope scope(false);
            ASSERT_EQ(DIB_OK, plain.AlphaBlendDirect(first, second, static_cast<unsigned char>(alpha)));
        }
        {
            SimdScope scope(true);
            ASSERT_EQ(DIB_OK, twin.AlphaBlendDirect(first, second, static_cast<unsigned char>(alpha)));
        }
        ASSERT_EQ(DIB_OK, mixed.AlphaBlend(second, static_cast<unsigned char>(alpha)));
        for (size_t n = 0; n < 65536; ++n) {
            const int a = static_cast<int>(n >> 8), b = static_cast<int>(n & 0xFF);
            const int towardZero = b + (a - b) * alpha / 256;
            ASSERT_EQ(towardZero, plain.GetBmpBitsAddress()[n]) << a << " " << b << " " << alpha;
            ASSERT_EQ(towardZero, mixed.GetBmpBitsAddress()[n]) << a << " " << b << " " << alpha;
            ASSERT_EQ((a * alpha + b * (256 - alpha)) >> 8, twin.GetBmpBitsAddress()[n]) << a << " " << b << " " << alpha;
        }
    }
}

// Each pixel is read before it is written, so the receiving object may be a source.
TEST(AlphaBlendAliasing, ReceivingObjectMayBeEitherSource)
{
    for (int bitCount : {16, 24}) {
        for (bool simd : {false, true}) {
            SimdScope scope(simd);
            const TestImage first = MakeImage(37, 5, bitCount, 8), second = MakeImage(37, 5, bitCount, 9);
            TestImage expected = MakeImage(37, 5, bitCount, 10);
            TestImage a(first), b(second), onFirst(first), onSecond(second);
            ASSERT_EQ(DIB_OK, expected.AlphaBlendDirect(a, b, 77));
            ASSERT_EQ(DIB_OK, onFirst.AlphaBlendDirect(onFirst, b, 77));
            ASSERT_EQ(DIB_OK, onSecond.AlphaBlendDirect(a, onSecond, 77));
            // Row padding: 24-bit blends treat it as pixels; 16-bit blends keep the object's own.
            if (bitCount == 24) {
                EXPECT_EQ(expected.PixelCopy(), onFirst.PixelCopy());
                EXPECT_EQ(expected.PixelCopy(), onSecond.PixelCopy());
            }
            for (int row = 0; row < 5; ++row) {
                EXPECT_TRUE(std::equal(expected.Row(row), expected.Row(row) + 37 * bitCount / 8, onFirst.Row(row)));
                EXPECT_TRUE(std::equal(expected.Row(row), expected.Row(row) + 37 * bitCount / 8, onSecond.Row(row)));
            }
            TestImage self(first), selfExpected(first), copy(first);
            ASSERT_EQ(DIB_OK, self.AlphaBlend(self, 200));
            ASSERT_EQ(DIB_OK, selfExpected.AlphaBlend(copy, 200));
            EXPECT_EQ(selfExpected.PixelCopy(), self.PixelCopy());
        }
    }
}

TEST(AlphaBlendRefusals, EmptyMismatchedOrUnsupportedImagesChangeNothing)
{
    TestImage empty;
    TestImage image24 = MakeImage(6, 4, 24, 11), other24 = MakeImage(6, 4, 24, 12);
    TestImage wider24 = MakeImage(7, 4, 24, 13), taller24 = MakeImage(6, 5, 24, 14);
    TestImage image8 = MakeImage(6, 4, 8, 15), other8 = MakeImage(6, 4, 8, 16);
    TestImage rgb555 = MakeImage(6, 4, 16, 17, BI_RGB), rgb565 = MakeImage(6, 4, 16, 18, BI_BITFIELDS);
    const ImageSnapshot snap24(image24), snap8(image8), snap555(rgb555);
    for (bool simd : {false, true}) {
        SimdScope scope(simd);
        EXPECT_EQ(DIB_ERR_EMPTY, empty.AlphaBlend(image24, 9));
        EXPECT_EQ(DIB_ERR_EMPTY, image24.AlphaBlend(empty, 9));
        EXPECT_EQ(DIB_ERR_EMPTY, empty.AlphaBlendDirect(image24, other24, 9));
        EXPECT_EQ(DIB_ERR_EMPTY, image24.AlphaBlendDirect(empty, other24, 9));
        EXPECT_EQ(DIB_ERR_EMPTY, image24.AlphaBlendDirect(other24, empty, 9));
        EXPECT_EQ(DIB_ERR_BAD_DEPTH, image8.AlphaBlend(other8, 9));
        EXPECT_EQ(DIB_ERR_BAD_DEPTH, image8.AlphaBlendDirect(other8, other8, 9));
        EXPECT_EQ(DIB_ERR_BAD_DEPTH, image24.AlphaBlend(rgb555, 9));
        EXPECT_EQ(DIB_ERR_BAD_DEPTH, image24.AlphaBlendDirect(other24, image8, 9));
        EXPECT_EQ(DIB_ERR_BAD_DEPTH, rgb555.AlphaBlendDirect(image24, other24, 9));
        EXPECT_EQ(DIB_ERR_COMPRESSED, rgb555.AlphaBlend(rgb565, 9));
        EXPECT_EQ(DIB_ERR_COMPRESSED, rgb555.AlphaBlendDirect(rgb565, rgb565, 9));
        EXPECT_EQ(DIB_ERR_COMPRESSED, rgb555.AlphaBlendDirect(rgb555, rgb565, 9));
        EXPECT_EQ(DIB_ERR_BAD_ARGUMENT, image24.AlphaBlend(wider24, 9));
        EXPECT_EQ(DIB_ERR_BAD_ARGUMENT, image24.AlphaBlend(taller24, 9));
        EXPECT_EQ(DIB_ERR_BAD_ARGUMENT, image24.AlphaBlendDirect(other24, wider24, 9));
        EXPECT_EQ(DIB_ERR_BAD_ARGUMENT, image24.AlphaBlendDirect(taller24, other24, 9));
    }
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(snap24.Matches(image24));
    EXPECT_TRUE(snap8.Matches(image8));
    EXPECT_TRUE(snap555.Matches(rgb555));
}

}  // namespace
