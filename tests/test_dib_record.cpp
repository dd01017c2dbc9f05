// SPDX-License-Identifier: MIT
// The image record: size rules, accessors, copies.
#include <velmoro/dib.h>
#include <velmoro/dib_edit.h>
#include <velmoro/internal/dib_layout.h>
#include <velmoro/platform/file.h>

#include "support/test_images.h"

#include <gtest/gtest.h>

#include <cstring>

using velmoro_test::ImageSnapshot;
using velmoro_test::ImageSpec;
using velmoro_test::TestImage;

namespace {

BITMAPINFOHEADER Header(int width, int bitCount, DWORD compression = BI_RGB, DWORD clrUsed = 0)
{
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitCount);
    header.biCompression = compression;
    header.biClrUsed = clrUsed;
    return header;
}

int Entries(const BITMAPINFOHEADER& header)
{
    return CDib::GetNumColorEntry(reinterpret_cast<const BITMAPINFO*>(&header));
}

int EntryBytes(const BITMAPINFOHEADER& header)
{
    return CDib::GetColorEntrySize(reinterpret_cast<const BITMAPINFO*>(&header));
}

TEST(DibRecord, NewImageIsEmpty)
{
    CDib image;
    EXPECT_EQ(image.IsEmpty(), 1);
    EXPECT_EQ(image.GetBmpInfoAddress(), nullptr);
    EXPECT_EQ(image.GetBmpBitsAddress(), nullptr);
    EXPECT_EQ(GetRenderInterfaceVersion(), 1);
}

TEST(DibRecord, ColourEntriesFollowDepthUnlessClrUsedIsSet)
{
    EXPECT_EQ(Entries(Header(1, 8)), 256);
    EXPECT_EQ(EntryBytes(Header(1, 8)), 1024);
    EXPECT_EQ(Entries(Header(1, 8, BI_RGB, 16)), 16);
    EXPECT_EQ(EntryBytes(Header(1, 8, BI_RGB, 16)), 64);
    EXPECT_EQ(Entries(Header(1, 24)), 0);
    EXPECT_EQ(EntryBytes(Header(1, 24, BI_RGB, 2)), 8);
    EXPECT_EQ(Entries(Header(1, 8, BI_RGB, 300)), 300);
    EXPECT_EQ(EntryBytes(Header(1, 16, BI_BITFIELDS)), 12);
    EXPECT_EQ(EntryBytes(Header(1, 16, BI_RGB)), 0);
    EXPECT_EQ(Entries(Header(1, 1)), 2);
    EXPECT_EQ(Entries(Header(1, 4)), 16);
    EXPECT_EQ(Entries(Header(1, 32)), 0);
}

TEST(DibRecord, CoreAndLaterHeadersAreReadAsCoreHeaders)
{
    BYTE raw[40] = {};
    BITMAPCOREHEADER core{12, 4, 4, 1, 8};
    std::memcpy(raw, &core, sizeof core);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(raw);
    EXPECT_EQ(CDib::IsWinDIB(&info->bmiHeader), 0);
    EXPECT_EQ(CDib::GetNumColorEntry(info), 256);
    EXPECT_EQ(CDib::GetColorEntrySize(info), 1024);

    BITMAPINFOHEADER v4 = Header(1, 24, BI_RGB, 7);
    v4.biSize = 108;  // bit count from the word at offset 10, biClrUsed ignored
    std::memcpy(raw, &v4, sizeof v4);
    raw[10] = 4;
    raw[11] = 0;
    EXPECT_EQ(CDib::GetNumColorEntry(info), 16);
}

TEST(DibRecord, StridePadsRowsToFourBytes)
{
    struct Case {
        int width, bits, stride;
    } cases[] = {{1, 24, 4}, {3, 8, 4}, {5, 8, 8}, {2, 16, 4}, {3, 16, 8}, {1, 1, 4}, {33, 1, 8}, {9, 4, 8}};
    for (const Case& c : cases) {
        TestImage image(ImageSpec{c.width, 2, c.bits});
        EXPECT_EQ(image.Stride(), c.stride) << c.width << " x " << c.bits;
    }
}

TEST(DibRecord, AccessorsReadTheHeader)
{
    TestImage image(ImageSpec{7, 3, 16, BI_BITFIELDS});
    EXPECT_EQ(image.GetWidth(), 7);
    EXPECT_EQ(image.GetHeight(), 3);
    EXPECT_EQ(image.GetBitCount(), 16);
    EXPECT_EQ(image.GetCompression(), static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(image.GetColorEntrySize(), 12);
    EXPECT_EQ(reinterpret_cast<BYTE*>(image.GetColorTabAddress()),
              reinterpret_cast<BYTE*>(image.GetBmpInfoAddress()) + 40);
}

// An 8-bit file may say BI_BITFIELDS: its masks come first, then the colour
// table. The public address keeps the design's answer, the bytes right behind
// the header; the library's own look-ups read the entries behind the masks.
TEST(DibRecord, IndexedFileWithMasksKeepsThePublicAddressBeforeThemAndLooksColoursUpBehindThem)
{
    TestImage source(ImageSpec{3, 2, 8, BI_BITFIELDS, 4}, 5);
    source.GetBmpBitsAddress()[source.Stride()] = 2;  // the top-left pixel: entry 2
    CMemFile file;
    ASSERT_EQ(source.WriteBmp(file, 0), DIB_OK);
    CDibEdit image;
    ASSERT_EQ(image.Load(file, 0), DIB_OK);
    ASSERT_EQ(image.GetCompression(), static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(image.GetColorEntrySize(), 12 + 4 * 4);

    const BYTE* info = reinterpret_cast<const BYTE*>(image.GetBmpInfoAddress());
    EXPECT_EQ(reinterpret_cast<const BYTE*>(image.GetColorTabAddress()), info + 40);
    const RGBQUAD* entries = velmoro::ColorEntries(image.GetBmpInfoAddress());
    EXPECT_EQ(reinterpret_cast<const BYTE*>(entries), info + 52);
    EXPECT_EQ(reinterpret_cast<const BYTE*>(velmoro::ColorTableAddress(image.GetBmpInfoAddress())), info + 52);

    DWORD color = 0;
    ASSERT_EQ(image.GetColorFromPoint(CPoint(0, 0), &color), DIB_OK);
    EXPECT_EQ(color, RGB(entries[2].rgbRed, entries[2].rgbGreen, entries[2].rgbBlue));
    EXPECT_NE(color, RGB(image.GetColorTabAddress()[2].rgbRed, image.GetColorTabAddress()[2].rgbGreen,
                         image.GetColorTabAddress()[2].rgbBlue));
}

TEST(DibRecord, CopyDibMakesAnIndependentDeepCopy)
{
    TestImage source(ImageSpec{5, 4, 8, BI_RGB, 20}, 7);
    CDib copy;
    ASSERT_EQ(copy.CopyDib(source), DIB_OK);
    ASSERT_NE(copy.GetBmpBitsAddress(), source.GetBmpBitsAddress());
    EXPECT_EQ(ImageSnapshot(copy).info, ImageSnapshot(source).info);
    EXPECT_EQ(ImageSnapshot(copy).bits, ImageSnapshot(source).bits);

    EXPECT_EQ(copy.CopyDib(copy), DIB_OK);  // onto itself
    EXPECT_EQ(ImageSnapshot(copy).bits, ImageSnapshot(source).bits);
}

TEST(DibRecord, CopyDibFromEmptyImageKeepsTarget)
{
    TestImage target(ImageSpec{3, 3, 24});
    ImageSnapshot before(target);
    CDib empty;
    EXPECT_EQ(target.CopyDib(empty), DIB_ERR_EMPTY);
    EXPECT_TRUE(before.Matches(target));
}

TEST(DibRecord, AssignmentCopiesDeeplyAndEmptyEmpties)
{
    TestImage source(ImageSpec{6, 2, 24}, 3);
    CDib target;
    target = source;
    ASSERT_FALSE(target.IsEmpty());
    EXPECT_NE(target.GetBmpBitsAddress(), source.GetBmpBitsAddress());
    EXPECT_EQ(ImageSnapshot(target).bits, ImageSnapshot(source).bits);

    CDib& alias = target;
    target = alias;  // self-assignment keeps the picture
    EXPECT_EQ(ImageSnapshot(target).bits, ImageSnapshot(source).bits);

    CDib copyConstructed(source);
    EXPECT_EQ(ImageSnapshot(copyConstructed).bits, ImageSnapshot(source).bits);

    target = CDib();
    EXPECT_TRUE(target.IsEmpty());
    EXPECT_EQ(target.GetBmpBitsAddress(), nullptr);
}

}  // namespace
