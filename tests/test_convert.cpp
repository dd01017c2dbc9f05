// SPDX-License-Identifier: MIT
// Depth conversion and dither: examples, result codes, the cases that leave both
// blocks alone, and byte-for-byte agreement of the plain rows and the twins.
#include <velmoro/dib_edit.h>

#include "support/fault_injection.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <functional>
#include <thread>
#include <vector>

using velmoro_test::ImageSnapshot;
using velmoro_test::ImageSpec;
using velmoro_test::SimdScope;
using velmoro_test::TestImage;
using velmoro_test::VectorRows;
using velmoro_test::VectorRowsScope;

namespace {

enum class Variant { kPlain, kSse2, kAvx2 };
constexpr Variant kVariants[] = {Variant::kPlain, Variant::kSse2, Variant::kAvx2};

const char* Name(Variant variant)
{
    return variant == Variant::kPlain ? "plain" : variant == Variant::kSse2 ? "sse2" : "avx2";
}

// Selects plain or twin through the public flag, and SSE2 or AVX2 inside the twin
// (in a build without the test switches, the twin's widest rows for both).
class VariantScope {
public:
    explicit VariantScope(Variant variant)
        : m_simd(variant != Variant::kPlain),
          m_rows(variant == Variant::kSse2 ? VectorRows::kBelowAvx2 : VectorRows::kWidest)
    {
    }

private:
    SimdScope m_simd;
    VectorRowsScope m_rows;
};

class WorkerImage : public TestImage {
public:
    using TestImage::TestImage;
    using CDibEdit::Bit16To16BitPerPixel;
    using CDibEdit::Bit16To16BitPerPixelMMX;
    using CDibEdit::Bit16To24BitPerPixel;
    using CDibEdit::Bit16To24BitPerPixelMMX;
    using CDibEdit::Bit24To16BitPerPixel;
    using CDibEdit::Bit24To16BitPerPixelMMX;
    using CDibEdit::Bit8To16BitPerPixel;
    using CDibEdit::Bit8To16BitPerPixelMMX;
    using CDibEdit::Bit8To24BitPerPixel;
    using CDibEdit::Bit8To24BitPerPixelMMX;
};

// An image whose stored rows are given byte for byte (padding included).
TestImage ImageWithBytes(const ImageSpec& spec, const std::vector<BYTE>& bytes)
{
    TestImage image(spec);
    EXPECT_EQ(bytes.size(), image.PixelBytes());
    std::memcpy(image.GetBmpBitsAddress(), bytes.data(), image.PixelBytes());
    return image;
}

const BITMAPINFOHEADER& Header(const CDib& image)
{
    return image.GetBmpInfoAddress()->bmiHeader;
}

DWORD MaskAt(const CDib& image, int i)
{
    DWORD mask;
    std::memcpy(&mask, reinterpret_cast<const BYTE*>(image.GetBmpInfoAddress()) + 40 + 4 * i, 4);
    return mask;
}

TEST(ConvertExamples, SixteenBitWordsExpandWithZeroLowBits)
{
    for (Variant variant : kVariants) {
        VariantScope scope(variant);
        TestImage rgb555 = ImageWithBytes(ImageSpec{1, 2, 16, BI_RGB}, {0xFF, 0x7F, 0xEE, 0xEE, 0x00, 0x7C, 0, 0});
        ASSERT_EQ(rgb555.ConvertTo24BitPerPixel(), DIB_OK);
        EXPECT_EQ(rgb555.PixelCopy(), (std::vector<BYTE>{248, 248, 248, 0, 0, 0, 248, 0})) << Name(variant);

        TestImage rgb565 = ImageWithBytes(ImageSpec{1, 1, 16, BI_BITFIELDS}, {0xFF, 0xFF, 0x12, 0x34});
        ASSERT_EQ(rgb565.ConvertTo24BitPerPixel(), DIB_OK);
        EXPECT_EQ(rgb565.PixelCopy(), (std::vector<BYTE>{248, 252, 248, 0})) << Name(variant);
    }
}

TEST(ConvertExamples, TwentyFourBitPixelsPackByTruncation)
{
    // White, then (red 0x0F, green 0x0F, blue 0x0F), whose low bits drop out.
    const std::vector<BYTE> pixels = {0xFF, 0xFF, 0xFF, 0x0F, 0x0F, 0x0F, 0xAA, 0xAA};
    for (Variant variant : kVariants) {
        VariantScope scope(variant);
        TestImage to555 = ImageWithBytes(ImageSpec{2, 1, 24}, pixels);
        ASSERT_EQ(to555.ConvertTo16BitPerPixel(DIB_FORMAT_555), DIB_OK);
        EXPECT_EQ(to555.PixelCopy(), (std::vector<BYTE>{0xFF, 0x7F, 0x21, 0x04})) << Name(variant);
        EXPECT_EQ(Header(to555).biCompression, static_cast<DWORD>(BI_RGB));

        TestImage to565 = ImageWithBytes(ImageSpec{1, 1, 24}, {0xFF, 0xFF, 0xFF, 0xAA});
        ASSERT_EQ(to565.ConvertTo16BitPerPixel(DIB_FORMAT_565), DIB_OK);
        EXPECT_EQ(to565.PixelCopy(), (std::vector<BYTE>{0xFF, 0xFF, 0, 0})) << Name(variant);  // padding zeroed
    }
}

TEST(ConvertExamples, NewHeadersKeepSizeAndResolutionAndCarryMasksFor565)
{
    TestImage image(ImageSpec{3, 2, 8, BI_RGB, 16});
    BITMAPINFOHEADER& header = image.GetBmpInfoAddress()->bmiHeader;
    header.biXPelsPerMeter = 2835;
    header.biYPelsPerMeter = 1417;
    header.biSizeImage = 12;
    header.biClrImportant = 5;

    ASSERT_EQ(image.ConvertTo16BitPerPixel(DIB_FORMAT_565), DIB_OK);
    EXPECT_EQ(image.InfoBytes(), 52u);
    EXPECT_EQ(Header(image).biCompression, static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(MaskAt(image, 0), 0xF800u);
    EXPECT_EQ(MaskAt(image, 1), 0x07E0u);
    EXPECT_EQ(MaskAt(image, 2), 0x001Fu);

    ASSERT_EQ(image.ConvertTo24BitPerPixel(), DIB_OK);
    EXPECT_EQ(image.InfoBytes(), 40u);
    const BITMAPINFOHEADER& converted = Header(image);
    EXPECT_EQ(converted.biBitCount, 24);
    EXPECT_EQ(converted.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(converted.biSizeImage, 0u);
    EXPECT_EQ(converted.biClrUsed, 0u);
    EXPECT_EQ(converted.biClrImportant, 0u);
    EXPECT_EQ(converted.biWidth, 3);
    EXPECT_EQ(converted.biHeight, 2);
    EXPECT_EQ(converted.biPlanes, 1);
    EXPECT_EQ(converted.biXPelsPerMeter, 2835);
    EXPECT_EQ(converted.biYPelsPerMeter, 1417);
}

// Guards the reserved-byte leak of the old 8-to-24 twin and reads past short tables.
TEST(ConvertExamples, EightBitIndexesPastTheTableAreBlackAndReservedBytesPlayNoPart)
{
    for (Variant variant : kVariants) {
        VariantScope scope(variant);
        TestImage image(ImageSpec{9, 1, 8, BI_RGB, 2});
        image.GetColorTabAddress()[0] = RGBQUAD{0x10, 0x20, 0x30, 0xFF};
        image.GetColorTabAddress()[1] = RGBQUAD{0xF8, 0xFC, 0xF8, 0xFF};
        const BYTE indexes[9] = {0, 1, 2, 255, 0, 1, 1, 200, 1};
        std::memcpy(image.GetBmpBitsAddress(), indexes, 9);
        TestImage to16;
        to16.CopyDib(image);

        ASSERT_EQ(image.ConvertTo24BitPerPixel(), DIB_OK);
        const std::vector<BYTE> expected24 = {0x10, 0x20, 0x30, 0xF8, 0xFC, 0xF8, 0, 0, 0, 0, 0, 0, 0x10, 0x20,
                                              0x30, 0xF8, 0xFC, 0xF8, 0xF8, 0xFC, 0xF8, 0, 0, 0, 0xF8, 0xFC, 0xF8, 0};
        EXPECT_EQ(image.PixelCopy(), expected24) << Name(variant);

        ASSERT_EQ(to16.ConvertTo16BitPerPixel(DIB_FORMAT_565), DIB_OK);
        const std::vector<BYTE> expected16 = {0x02, 0x31, 0xFF, 0xFF, 0, 0, 0, 0, 0x02, 0x31,
                                              0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0};
        EXPECT_EQ(to16.PixelCopy(), expected16) << Name(variant);
    }
}

// An 8-bit file may carry masks before its table: the colours are the entries.
TEST(ConvertExamples, EightBitTableBehindBitfieldMasksGivesTheColours)
{
    for (Variant variant : kVariants) {
        VariantScope scope(variant);
        TestImage image(ImageSpec{2, 1, 8, BI_BITFIELDS, 2});
        image.Entries()[0] = RGBQUAD{0x10, 0x20, 0x30, 0};
        image.Entries()[1] = RGBQUAD{0xF8, 0xFC, 0xF8, 0};
        image.GetBmpBitsAddress()[0] = 1;
        image.GetBmpBitsAddress()[1] = 0;
        TestImage to16;
        to16.CopyDib(image);
        ASSERT_EQ(image.ConvertTo24BitPerPixel(), DIB_OK);
        EXPECT_EQ(image.PixelCopy(), (std::vector<BYTE>{0xF8, 0xFC, 0xF8, 0x10, 0x20, 0x30, 0, 0})) << Name(variant);
        ASSERT_EQ(to16.ConvertTo16BitPerPixel(DIB_FORMAT_565), DIB_OK);
        EXPECT_EQ(to16.PixelCopy(), (std::vector<BYTE>{0xFF, 0xFF, 0x02, 0x31})) << Name(variant);
    }
}

TEST(ConvertLayouts, SwitchingLayoutsConvertsInPlaceAndReplacesOnlyTheInfoBlock)
{
    for (Variant variant : kVariants) {
        VariantScope scope(variant);
        TestImage image = ImageWithBytes(ImageSpec{2, 1, 16, BI_RGB}, {0xFF, 0xFF, 0x1F, 0x03});
        const BYTE* bits = image.GetBmpBitsAddress();
        ASSERT_EQ(image.ConvertTo16BitPerPixel(DIB_FORMAT_565), DIB_OK);
        EXPECT_EQ(image.GetBmpBitsAddress(), bits);
        EXPECT_EQ(image.PixelCopy(), (std::vector<BYTE>{0xDF, 0xFF, 0x1F, 0x06})) << Name(variant);
        EXPECT_EQ(image.InfoBytes(), 52u);

        ASSERT_EQ(image.ConvertTo16BitPerPixel(DIB_FORMAT_555), DIB_OK);
        EXPECT_EQ(image.GetBmpBitsAddress(), bits);
        EXPECT_EQ(image.PixelCopy(), (std::vector<BYTE>{0xFF, 0x7F, 0x1F, 0x03})) << Name(variant);
        EXPECT_EQ(Header(image).biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(image.InfoBytes(), 40u);
    }
}

TEST(ConvertNothingToDo, ImagesAlreadyInTheRequestedFormKeepBothBlocks)
{
    struct Case {
        int bits;
        DWORD compression;
        std::function<DWORD(CDibEdit&)> run;
    } cases[] = {
        {24, BI_RGB, [](CDibEdit& image) { return image.ConvertTo24BitPerPixel(); }},
        {16, BI_BITFIELDS, [](CDibEdit& image) { return image.ConvertTo16BitPerPixel(DIB_FORMAT_565); }},
        {16, BI_RGB, [](CDibEdit& image) { return image.ConvertTo16BitPerPixel(DIB_FORMAT_555); }},
        // Every selector but 5-6-5 means 5-5-5, so a 5-5-5 image must not be "converted" again.
        {16, BI_RGB, [](CDibEdit& image) { return image.ConvertTo16BitPerPixel(0); }},
        {16, BI_RGB, [](CDibEdit& image) { return image.ConvertTo16BitPerPixel(0x10000002); }},
    };
    for (const Case& c : cases) {
        TestImage image(ImageSpec{5, 3, c.bits, c.compression}, 9);
        ImageSnapshot before(image);
        EXPECT_EQ(c.run(image), DIB_OK);
        EXPECT_TRUE(before.Matches(image)) << c.bits << " bits, compression " << c.compression;
    }
}

TEST(ConvertCodes, EmptyOtherDepthsAndNegativeSizesLeaveTheImageAlone)
{
    CDibEdit empty;
    EXPECT_EQ(empty.ConvertTo24BitPerPixel(), DIB_ERR_EMPTY);
    EXPECT_EQ(empty.ConvertTo16BitPerPixel(DIB_FORMAT_565), DIB_ERR_EMPTY);
    EXPECT_EQ(empty.Dither24To16BitPerPixel(DIB_FORMAT_565), DIB_ERR_EMPTY);
    EXPECT_TRUE(empty.IsEmpty());

    for (int bits : {1, 4, 32}) {
        TestImage image(ImageSpec{4, 2, bits});
        ImageSnapshot before(image);
        EXPECT_EQ(image.ConvertTo24BitPerPixel(), DIB_ERR_BAD_DEPTH) << bits;
        EXPECT_EQ(image.ConvertTo16BitPerPixel(DIB_FORMAT_555), DIB_ERR_BAD_DEPTH) << bits;
        EXPECT_EQ(image.Dither24To16BitPerPixel(DIB_FORMAT_555), DIB_ERR_NOT_24BIT) << bits;
        EXPECT_TRUE(before.Matches(image)) << bits;
    }

    TestImage topDown(ImageSpec{4, 2, 8});
    topDown.GetBmpInfoAddress()->bmiHeader.biHeight = -2;
    topDown.GetBmpInfoAddress()->bmiHeader.biWidth = -4;  // with the height, a positive product
    const void* info = topDown.GetBmpInfoAddress();
    EXPECT_EQ(topDown.ConvertTo24BitPerPixel(), DIB_ERR_NO_MEMORY);
    EXPECT_EQ(topDown.ConvertTo16BitPerPixel(DIB_FORMAT_565), DIB_ERR_NO_MEMORY);
    EXPECT_EQ(topDown.GetBmpInfoAddress(), info);
}

#if defined(VELMORO_TEST_SWITCHES)
TEST(ConvertCodes, FailedAllocationsLeaveTheImageAsItWas)
{
    struct Case {
        ImageSpec spec;
        std::function<DWORD(CDibEdit&)> run;
        int allocations;
    } cases[] = {
        {ImageSpec{5, 3, 8}, [](CDibEdit& image) { return image.ConvertTo24BitPerPixel(); }, 2},
        {ImageSpec{5, 3, 24}, [](CDibEdit& image) { return image.ConvertTo16BitPerPixel(DIB_FORMAT_565); }, 2},
        {ImageSpec{5, 3, 16}, [](CDibEdit& image) { return image.ConvertTo16BitPerPixel(DIB_FORMAT_565); }, 1},
    };
    for (const Case& c : cases) {
        TestImage image(c.spec, 3);
        const int failures = velmoro_test::ForEachAllocationFailure([&](int failAt) {
            ImageSnapshot before(image);
            const DWORD code = c.run(image);
            if (code == DIB_OK)
                return true;
            EXPECT_EQ(code, DIB_ERR_NO_MEMORY) << failAt;
            EXPECT_TRUE(before.Matches(image)) << c.spec.bitCount << " bits, allocation " << failAt;
            return false;
        });
        EXPECT_EQ(failures, c.allocations) << c.spec.bitCount;
    }
}
#endif

TEST(SimdFlag, CheckLeavesTheFlagAndTryEnableStoresItsResult)
{
    SimdScope restore(false);
    const int hasMmx = CDibEdit::CheckMMXTechnology();
#if defined(__x86_64__)
    EXPECT_EQ(hasMmx, 1);  // every x86-64 processor has MMX
#endif
    EXPECT_EQ(TestImage::SimdFlag(), 0);
    EXPECT_EQ(CDibEdit::TryEnableMMXSupport(), hasMmx);
    EXPECT_EQ(TestImage::SimdFlag(), hasMmx);
}

TEST(ConvertCodes, WorkersRefuseOtherDepthsWithoutWriting)
{
    WorkerImage image8(ImageSpec{3, 2, 8}), image16(ImageSpec{3, 2, 16}), image24(ImageSpec{3, 2, 24});
    std::vector<BYTE> dst(64, 0xAB);
    BYTE* out = dst.data();
    EXPECT_EQ(image24.Bit8To24BitPerPixel(out), DIB_ERR_NOT_8BIT);
    EXPECT_EQ(image16.Bit8To24BitPerPixelMMX(out), DIB_ERR_NOT_8BIT);
    EXPECT_EQ(image24.Bit8To16BitPerPixel(out, DIB_FORMAT_565), DIB_ERR_NOT_8BIT);
    EXPECT_EQ(image16.Bit8To16BitPerPixelMMX(out, DIB_FORMAT_565), DIB_ERR_NOT_8BIT);
    EXPECT_EQ(image8.Bit16To24BitPerPixel(out), DIB_ERR_NOT_16BIT);
    EXPECT_EQ(image24.Bit16To24BitPerPixelMMX(out), DIB_ERR_NOT_16BIT);
    EXPECT_EQ(image8.Bit16To16BitPerPixel(out, DIB_FORMAT_565), DIB_ERR_NOT_16BIT);
    EXPECT_EQ(image24.Bit16To16BitPerPixelMMX(out, DIB_FORMAT_565), DIB_ERR_NOT_16BIT);
    EXPECT_EQ(image8.Bit24To16BitPerPixel(out, DIB_FORMAT_555), DIB_ERR_NOT_24BIT);
    EXPECT_EQ(image16.Bit24To16BitPerPixelMMX(out, DIB_FORMAT_555), DIB_ERR_NOT_24BIT);
    EXPECT_EQ(dst, std::vector<BYTE>(64, 0xAB));
    WorkerImage empty;
    EXPECT_EQ(empty.Bit24To16BitPerPixelMMX(out, DIB_FORMAT_555), DIB_ERR_EMPTY);
}

// --- Plain rows against the twins -------------------------------------------------

struct Conversion {
    const char* name;
    int bits;
    DWORD compression;
    int colorEntries;
    std::function<DWORD(CDibEdit&)> run;
    DWORD swapTo;  // in-place layout switch: its twin also converts an odd row's padding word
};

const Conversion kConversions[] = {
    {"8 to 24", 8, BI_RGB, 200, [](CDibEdit& i) { return i.ConvertTo24BitPerPixel(); }, 0},
    {"8 to 555", 8, BI_RGB, -1, [](CDibEdit& i) { return i.ConvertTo16BitPerPixel(DIB_FORMAT_555); }, 0},
    {"8 to 565", 8, BI_RGB, 100, [](CDibEdit& i) { return i.ConvertTo16BitPerPixel(DIB_FORMAT_565); }, 0},
    {"555 to 24", 16, BI_RGB, -1, [](CDibEdit& i) { return i.ConvertTo24BitPerPixel(); }, 0},
    {"565 to 24", 16, BI_BITFIELDS, -1, [](CDibEdit& i) { return i.ConvertTo24BitPerPixel(); }, 0},
    {"24 to 555", 24, BI_RGB, -1, [](CDibEdit& i) { return i.ConvertTo16BitPerPixel(DIB_FORMAT_555); }, 0},
    {"24 to 565", 24, BI_RGB, -1, [](CDibEdit& i) { return i.ConvertTo16BitPerPixel(DIB_FORMAT_565); }, 0},
    {"555 to 565", 16, BI_RGB, -1, [](CDibEdit& i) { return i.ConvertTo16BitPerPixel(DIB_FORMAT_565); },
     DIB_FORMAT_565},
    {"565 to 555", 16, BI_BITFIELDS, -1, [](CDibEdit& i) { return i.ConvertTo16BitPerPixel(DIB_FORMAT_555); },
     DIB_FORMAT_555},
};

uint16_t SwapWord(uint16_t word, DWORD to)
{
    return static_cast<uint16_t>(to == DIB_FORMAT_565 ? ((word << 1) & 0xFFC0) | (word & 0x1F)
                                                      : ((word >> 1) & 0x7FE0) | (word & 0x1F));
}

// The source's blocks copied to blocks of exactly their size, so that the
// sanitizer sees any access past the last row.
ImageSnapshot Converted(const TestImage& source, const Conversion& conversion, Variant variant)
{
    TestImage image;
    image.CopyDib(source);
    VariantScope scope(variant);
    EXPECT_EQ(conversion.run(image), DIB_OK);
    return ImageSnapshot(image);
}

TEST(ConvertEquivalence, TwinsGiveThePlainBytesForEveryWidthPaddingIncluded)
{
    std::vector<int> widths;
    for (int width = 1; width <= 67; ++width)
        widths.push_back(width);
    widths.push_back(1001);
    for (const Conversion& conversion : kConversions) {
        for (int width : widths) {
            for (int height : {1, 2, 7}) {
                const TestImage source(ImageSpec{width, height, conversion.bits, conversion.compression,
                                                 conversion.colorEntries},
                                       static_cast<uint32_t>(width * 131 + height));
                const ImageSnapshot plain = Converted(source, conversion, Variant::kPlain);
                ImageSnapshot expected = plain;
                if (conversion.swapTo != 0 && width % 2 != 0) {
                    const size_t stride = static_cast<size_t>(source.Stride());
                    for (int row = 0; row < height; ++row) {
                        BYTE* padding = expected.bits.data() + row * stride + 2 * width;
                        const uint16_t word = static_cast<uint16_t>(padding[0] | (padding[1] << 8));
                        const uint16_t swapped = SwapWord(word, conversion.swapTo);
                        padding[0] = static_cast<BYTE>(swapped);
                        padding[1] = static_cast<BYTE>(swapped >> 8);
                    }
                }
                for (Variant twin : {Variant::kSse2, Variant::kAvx2}) {
                    const ImageSnapshot result = Converted(source, conversion, twin);
                    ASSERT_EQ(result.info, expected.info) << conversion.name << " " << Name(twin) << " " << width;
                    ASSERT_EQ(result.bits, expected.bits)
                        << conversion.name << " " << Name(twin) << " " << width << " x " << height;
                }
            }
        }
    }
}

// --- Dither --------------------------------------------------------------------------

TEST(Dither, NoiseStaysWithinTheBitsTheReductionDropsAndSaturates)
{
    for (DWORD format : {DIB_FORMAT_565, DIB_FORMAT_555}) {
        TestImage image(ImageSpec{63, 17, 24});
        std::memset(image.GetBmpBitsAddress(), 0, image.PixelBytes());
        const size_t stride = static_cast<size_t>(image.Stride());
        image.GetBmpBitsAddress()[stride - 1] = 0x5A;  // padding byte
        image.Row(1)[0] = 255;
        image.Row(1)[1] = 250;
        ASSERT_EQ(image.Dither24To16BitPerPixel(format), DIB_OK);

        const int greenMax = format == DIB_FORMAT_565 ? 3 : 7;
        int maxNoise[3] = {0, 0, 0};
        for (int row = 0; row < 17; ++row) {
            for (int x = 0; x < 63; ++x) {
                if (row == 1 && x == 0)
                    continue;
                for (int channel = 0; channel < 3; ++channel)
                    maxNoise[channel] = std::max<int>(maxNoise[channel], image.Row(row)[3 * x + channel]);
            }
        }
        EXPECT_EQ(maxNoise[0], 7);
        EXPECT_EQ(maxNoise[1], greenMax);
        EXPECT_EQ(maxNoise[2], 7);
        EXPECT_EQ(image.Row(1)[0], 255);
        EXPECT_GE(image.Row(1)[1], 250);
        EXPECT_EQ(image.GetBmpBitsAddress()[stride - 1], 0x5A);
    }
}

TEST(Dither, CallsWithinTheSameSecondAddTheSameNoise)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        TestImage first(ImageSpec{20, 4, 24}, 5), second(ImageSpec{20, 4, 24}, 5);
        const std::time_t start = std::time(NULL);
        first.Dither24To16BitPerPixel(DIB_FORMAT_565);
        second.Dither24To16BitPerPixel(DIB_FORMAT_565);
        if (std::time(NULL) != start)
            continue;  // a second boundary fell between the calls
        EXPECT_EQ(first.PixelCopy(), second.PixelCopy());
        return;
    }
}

// Each call draws from a generator of its own seeded with the clock, so the
// noise is the seed's whatever other threads do with the C runtime's generator.
TEST(Dither, NoiseIsTheClockSeededSequenceWhileOtherThreadsReseedTheRuntime)
{
    std::atomic<bool> stop{false};
    std::thread reseeder([&stop] {
        for (unsigned seed = 1; !stop.load(); ++seed)
            std::srand(seed);
    });
    int matched = 0;
    for (DWORD format : {DIB_FORMAT_565, DIB_FORMAT_555}) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            TestImage image(ImageSpec{29, 7, 24}, 11 + attempt);
            const TestImage original(image);
            const std::time_t before = std::time(NULL);
            ASSERT_EQ(image.Dither24To16BitPerPixel(format), DIB_OK);
            if (std::time(NULL) != before)
                continue;  // a second boundary fell inside the call
            EXPECT_EQ(image.PixelCopy(), velmoro_test::DitheredPixels(original, static_cast<uint32_t>(before), format))
                << format;
            ++matched;
        }
    }
    stop = true;
    reseeder.join();
    EXPECT_GT(matched, 0);
}

}  // namespace
