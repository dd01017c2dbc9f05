// SPDX-License-Identifier: MIT
// Interlaced copies: every second row or column replaced by a solid line.
#include <velmoro/dib_edit.h>

#include "support/fault_injection.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using velmoro_test::ImageSnapshot;
using velmoro_test::ImageSpec;
using velmoro_test::TestImage;

namespace {

class InterlaceImage : public TestImage {
public:
    using TestImage::TestImage;
    using CDibEdit::Create16BitHorzInterlaceFrom;
    using CDibEdit::Create24BitVertInterlaceFrom;
    using CDibEdit::Create8BitHorzInterlaceFrom;
    using CDibEdit::FillIndexScanLine;
    using CDibEdit::FillRGB16ScanLine;
    using CDibEdit::FillRGBScanLine;
};

const DWORD kColor = 0x00FF8040;  // red 0x40, green 0x80, blue 0xFF

void SetEntry(CDib& image, int index, DWORD color)
{
    image.GetColorTabAddress()[index] =
        RGBQUAD{static_cast<BYTE>(color >> 16), static_cast<BYTE>(color >> 8), static_cast<BYTE>(color), 0};
}

std::vector<BYTE> Block(const CDib& image)
{
    const size_t stride = static_cast<size_t>(((image.GetWidth() * image.GetBitCount() + 31) >> 3) & ~3);
    return std::vector<BYTE>(image.GetBmpBitsAddress(), image.GetBmpBitsAddress() + stride * image.GetHeight());
}

// The stored bytes of the fill colour at the source's depth.
std::vector<BYTE> FillBytes(const TestImage& source, DWORD color, BYTE index)
{
    switch (source.GetBitCount()) {
    case 8: return {index};
    case 16: return source.GetCompression() == BI_BITFIELDS ? std::vector<BYTE>{0x1F, 0x44} : std::vector<BYTE>{0x1F, 0x22};
    default: return {static_cast<BYTE>(color >> 16), static_cast<BYTE>(color >> 8), static_cast<BYTE>(color)};
    }
}

struct DepthCase {
    int bits;
    DWORD compression;
};

const DepthCase kDepths[] = {{8, BI_RGB}, {16, BI_RGB}, {16, BI_BITFIELDS}, {24, BI_RGB}};

// Source whose entry 6 holds the colour (entry 9 too: the first match wins).
InterlaceImage MakeSource(const DepthCase& depth, int width, int height)
{
    InterlaceImage source(ImageSpec{width, height, depth.bits, depth.compression}, static_cast<uint32_t>(width * 7 + height));
    if (depth.bits == 8) {
        SetEntry(source, 6, kColor);
        SetEntry(source, 9, kColor);
        for (int i = 0; i < 6; ++i)
            SetEntry(source, i, 0);
    }
    return source;
}

bool IsKept(int line, int phase)
{
    return (line % 2 == 0) == (phase != 0);
}

TEST(CreateHorzInterlaceFrom, KeptRowsAreCopiedWithTheirPaddingAndFilledRowsAreSolid)
{
    for (const DepthCase& depth : kDepths) {
        for (int width : {1, 2, 5, 6, 7}) {
            for (int height : {1, 3, 4}) {
                for (int phase : {1, 0, -3}) {
                    SCOPED_TRACE(testing::Message() << depth.bits << " bits/" << depth.compression << ", " << width
                                                    << " x " << height << ", phase " << phase);
                    InterlaceImage source = MakeSource(depth, width, height);
                    const std::vector<BYTE> fill = FillBytes(source, kColor, 6);
                    CDibEdit target;
                    ASSERT_EQ(target.CreateHorzInterlaceFrom(source, phase, kColor), DIB_OK);
                    EXPECT_EQ(std::memcmp(target.GetBmpInfoAddress(), source.GetBmpInfoAddress(), source.InfoBytes()), 0);
                    const std::vector<BYTE> block = Block(target);
                    ASSERT_EQ(block.size(), source.PixelBytes());
                    const size_t rowBytes = static_cast<size_t>(width) * fill.size();
                    for (int i = 0; i < height; ++i) {
                        const BYTE* row = &block[static_cast<size_t>(source.Stride()) * i];
                        if (IsKept(height - 1 - i, phase)) {
                            EXPECT_EQ(std::memcmp(row, source.Row(i), source.Stride()), 0) << "row " << i;
                            continue;
                        }
                        for (size_t b = 0; b < rowBytes; ++b)
                            ASSERT_EQ(row[b], fill[b % fill.size()]) << "row " << i << " byte " << b;
                        for (size_t b = rowBytes; b < static_cast<size_t>(source.Stride()); ++b)
                            ASSERT_EQ(row[b], 0) << "row " << i << " pad " << b;
                    }
                }
            }
        }
    }
}

TEST(CreateVertInterlaceFrom, FilledColumnsTakeTheColourAndPaddingBecomesZero)
{
    for (const DepthCase& depth : kDepths) {
        for (int width : {1, 2, 5, 6, 7, 23, 24, 25, 49}) {
            for (int phase : {1, 0}) {
                SCOPED_TRACE(testing::Message() << depth.bits << " bits/" << depth.compression << ", width " << width
                                                << ", phase " << phase);
                InterlaceImage source = MakeSource(depth, width, 3);
                const std::vector<BYTE> fill = FillBytes(source, kColor, 6);
                CDibEdit target;
                ASSERT_EQ(target.CreateVertInterlaceFrom(source, phase, kColor), DIB_OK);
                const std::vector<BYTE> block = Block(target);
                ASSERT_EQ(block.size(), source.PixelBytes());
                for (int i = 0; i < 3; ++i) {
                    const BYTE* row = &block[static_cast<size_t>(source.Stride()) * i];
                    for (int x = 0; x < width; ++x) {
                        const BYTE* expected = IsKept(x, phase) ? source.Row(i) + x * fill.size() : fill.data();
                        ASSERT_EQ(std::memcmp(row + x * fill.size(), expected, fill.size()), 0) << i << "," << x;
                    }
                    for (size_t b = width * fill.size(); b < static_cast<size_t>(source.Stride()); ++b)
                        ASSERT_EQ(row[b], 0) << "row " << i << " pad " << b;
                }
            }
        }
    }
}

// Several megabytes go by another store path; kept rows still carry their padding.
TEST(Interlace, LargeResultsKeepAndFillTheSameLines)
{
    const velmoro_test::StreamingScope streaming(1 << 20);
    InterlaceImage source = MakeSource(DepthCase{24, BI_RGB}, 1501, 1001);
    CDibEdit target;
    ASSERT_EQ(target.CreateHorzInterlaceFrom(source, 0, kColor), DIB_OK);
    const size_t stride = static_cast<size_t>(source.Stride());
    std::vector<BYTE> filled(stride, 0);
    for (size_t b = 0; b < 1501 * 3; ++b)
        filled[b] = FillBytes(source, kColor, 0)[b % 3];
    for (int i = 0; i < 1001; ++i) {
        const BYTE* row = target.GetBmpBitsAddress() + stride * i;
        const BYTE* expected = IsKept(1000 - i, 0) ? source.Row(i) : filled.data();
        ASSERT_EQ(std::memcmp(row, expected, stride), 0) << i;
    }
    // Columns: rows are merged in pieces, each piece starting on a column pair.
    ASSERT_EQ(target.CreateVertInterlaceFrom(source, 1, kColor), DIB_OK);
    for (int i = 0; i < 1001; i += 97) {
        const BYTE* row = target.GetBmpBitsAddress() + stride * i;
        for (int x = 0; x < 1501; ++x) {
            const BYTE* expected = IsKept(x, 1) ? source.Row(i) + 3 * x : filled.data();
            ASSERT_EQ(std::memcmp(row + 3 * x, expected, 3), 0) << i << "," << x;
        }
        ASSERT_EQ(row[stride - 1], 0);
    }
}

TEST(Interlace, EightBitColourMissingFromTheTableFillsWithIndexZero)
{
    InterlaceImage source(ImageSpec{4, 2, 8, BI_RGB, 16}, 3);
    for (int i = 0; i < 16; ++i)
        SetEntry(source, i, 0x00010101 * static_cast<DWORD>(i + 1));
    CDibEdit target;
    // 0x01000001 would be entry 0's colour but for its top byte.
    for (DWORD color : {0x00FF8040u, 0x01000001u}) {
        ASSERT_EQ(target.CreateHorzInterlaceFrom(source, 1, color), DIB_OK);
        EXPECT_EQ(std::memcmp(target.GetBmpBitsAddress(), "\0\0\0\0", 4), 0);
    }
    ASSERT_EQ(target.CreateVertInterlaceFrom(source, 0, 0x00101010), DIB_OK);
    EXPECT_EQ(target.GetBmpBitsAddress()[0], 15);
}

TEST(Interlace, ResultFollowsTheSourceWhateverTheReceiverHeld)
{
    InterlaceImage source = MakeSource(DepthCase{24, BI_RGB}, 5, 4);
    CDibEdit expected;
    ASSERT_EQ(expected.CreateHorzInterlaceFrom(source, 1, kColor), DIB_OK);
    InterlaceImage taller(ImageSpec{3, 9, 8}, 8);
    ASSERT_EQ(taller.CreateHorzInterlaceFrom(source, 1, kColor), DIB_OK);
    EXPECT_EQ(taller.GetHeight(), 4);
    EXPECT_EQ(Block(taller), Block(expected));
    // The source itself becomes its interlaced version.
    ASSERT_EQ(source.CreateHorzInterlaceFrom(source, 1, kColor), DIB_OK);
    EXPECT_EQ(Block(source), Block(expected));
    ASSERT_EQ(expected.CreateVertInterlaceFrom(expected, 0, 0), DIB_OK);
    EXPECT_EQ(expected.GetBmpBitsAddress()[0], 0);
}

// With BI_BITFIELDS the three masks come first and the entries follow them.
TEST(Interlace, EightBitSearchSkipsTheMasks)
{
    InterlaceImage source(ImageSpec{4, 2, 8, BI_BITFIELDS, 4}, 12);
    RGBQUAD* entries = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(source.GetBmpInfoAddress()) + 52);
    for (int i = 0; i < 4; ++i)
        entries[i] = RGBQUAD{static_cast<BYTE>(i), 0, 0, 0};
    entries[3] = RGBQUAD{0xFF, 0x80, 0x40, 0};
    CDibEdit target;
    ASSERT_EQ(target.CreateVertInterlaceFrom(source, 0, kColor), DIB_OK);
    EXPECT_EQ(target.GetBmpBitsAddress()[0], 3);
}

// A 24-bit header that counts colour entries gets a block that holds them.
TEST(Interlace, TwentyFourBitResultKeepsTheEntriesItsHeaderCounts)
{
    InterlaceImage source(ImageSpec{3, 2, 24, BI_RGB, 2}, 4);
    CDibEdit target;
    ASSERT_EQ(target.CreateVertInterlaceFrom(source, 1, kColor), DIB_OK);
    EXPECT_EQ(std::memcmp(target.GetBmpInfoAddress(), source.GetBmpInfoAddress(), 48), 0);
    CDibEdit copy;
    EXPECT_EQ(copy.CopyDib(target), DIB_OK);
}

TEST(Interlace, RefusalsLeaveTheReceiverAsItWas)
{
    InterlaceImage receiver(ImageSpec{2, 2, 16}, 5);
    const ImageSnapshot before(receiver);
    CDibEdit empty;
    InterlaceImage four(ImageSpec{4, 4, 4}, 6), deep(ImageSpec{4, 4, 32}, 7), eight(ImageSpec{4, 4, 8}, 8);
    for (auto interlace : {&CDibEdit::CreateHorzInterlaceFrom, &CDibEdit::CreateVertInterlaceFrom}) {
        EXPECT_EQ((receiver.*interlace)(empty, 1, 0), DIB_ERR_EMPTY);
        EXPECT_EQ((receiver.*interlace)(four, 1, 0), DIB_ERR_BAD_DEPTH);
        EXPECT_EQ((receiver.*interlace)(deep, 1, 0), DIB_ERR_BAD_DEPTH);
    }
    EXPECT_EQ(receiver.Create8BitHorzInterlaceFrom(receiver, 1, 0), DIB_ERR_NOT_8BIT);
    EXPECT_EQ(receiver.Create16BitHorzInterlaceFrom(eight, 1, 0), DIB_ERR_NOT_16BIT);
    EXPECT_EQ(receiver.Create24BitVertInterlaceFrom(eight, 1, 0), DIB_ERR_NOT_24BIT);
    EXPECT_EQ(receiver.Create8BitHorzInterlaceFrom(empty, 1, 0), DIB_ERR_EMPTY);
    EXPECT_TRUE(before.Matches(receiver));
}

#if defined(VELMORO_TEST_SWITCHES)
TEST(Interlace, FailedAllocationsLeaveTheReceiverAsItWas)
{
    InterlaceImage source = MakeSource(DepthCase{16, BI_BITFIELDS}, 5, 4);
    InterlaceImage receiver(ImageSpec{2, 2, 8}, 13);
    for (auto interlace : {&CDibEdit::CreateHorzInterlaceFrom, &CDibEdit::CreateVertInterlaceFrom}) {
        const int failures = velmoro_test::ForEachAllocationFailure([&](int failAt) {
            const ImageSnapshot before(receiver);
            const DWORD code = (receiver.*interlace)(source, 1, kColor);
            if (code == DIB_OK)
                return true;
            EXPECT_EQ(code, DIB_ERR_NO_MEMORY) << failAt;
            EXPECT_TRUE(before.Matches(receiver)) << failAt;
            return false;
        });
        EXPECT_EQ(failures, 2);  // info block, pixel block
    }
}
#endif

// The writers never touch a byte past bytes + pad, even when bytes does not
// hold a whole number of pixels.
TEST(ScanLineWriters, WriteExactlyTheirBytesThenZeroPadding)
{
    InterlaceImage image(ImageSpec{1, 1, 8}, 1);
    std::vector<BYTE> row(12, 0xEE);
    image.FillRGBScanLine(row.data(), 7, 2, 0x00332211);
    EXPECT_EQ(row, (std::vector<BYTE>{0x33, 0x22, 0x11, 0x33, 0x22, 0x11, 0x33, 0, 0, 0xEE, 0xEE, 0xEE}));
    row.assign(12, 0xEE);
    image.FillRGB16ScanLine(row.data(), 5, 1, kColor, DIB_FORMAT_565);
    EXPECT_EQ(row, (std::vector<BYTE>{0x1F, 0x44, 0x1F, 0x44, 0x1F, 0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
    row.assign(12, 0xEE);
    image.FillRGB16ScanLine(row.data(), 2, 0, kColor, 0x12345678);  // any other selector: 5-5-5
    EXPECT_EQ(row[0], 0x1F);
    EXPECT_EQ(row[1], 0x22);
    EXPECT_EQ(row[2], 0xEE);
    row.assign(12, 0xEE);
    image.FillIndexScanLine(row.data(), 3, 1, 9);
    EXPECT_EQ(row, (std::vector<BYTE>{9, 9, 9, 0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
}

}  // namespace
