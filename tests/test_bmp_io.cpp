// SPDX-License-Identifier: MIT
// BMP files in and out: every result code, the file-position and closing rules,
// round trips, hostile sizes and the bmpsuite corpus.
#include <velmoro/dib.h>
#include <velmoro/platform/file.h>

#include "support/md5.h"
#include "support/test_files.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace velmoro_test;

namespace {

template <typename T>
void Put(std::vector<BYTE>& out, size_t offset, T value)
{
    std::memcpy(out.data() + offset, &value, sizeof value);
}

struct BmpSpec {
    int width = 3;
    int height = 2;
    int bitCount = 8;
    DWORD compression = BI_RGB;
    DWORD clrUsed = 0;
    uint32_t gap = 0;  // bytes between the colour table and the pixels
};

// A well-formed file with a 40-byte header, numbered colour entries and numbered pixel bytes.
std::vector<BYTE> MakeBmp(const BmpSpec& spec)
{
    int entries = spec.clrUsed ? static_cast<int>(spec.clrUsed)
                               : (spec.bitCount <= 8 ? 1 << spec.bitCount : 0);
    const size_t tableBytes = 4 * static_cast<size_t>(entries) + (spec.compression == BI_BITFIELDS ? 12 : 0);
    const size_t stride = static_cast<size_t>(((spec.width * spec.bitCount + 31) >> 3) & ~3);
    const size_t pixelBytes = stride * static_cast<size_t>(spec.height < 0 ? -spec.height : spec.height);
    const size_t offBits = 54 + tableBytes + spec.gap;
    std::vector<BYTE> file(offBits + pixelBytes, 0);
    file[0] = 'B';
    file[1] = 'M';
    Put<DWORD>(file, 2, static_cast<DWORD>(file.size()));
    Put<DWORD>(file, 10, static_cast<DWORD>(offBits));
    BITMAPINFOHEADER header{40, spec.width, spec.height, 1, static_cast<WORD>(spec.bitCount),
                            spec.compression, 0, 2835, 2835, spec.clrUsed, 0};
    Put(file, 14, header);
    for (size_t i = 0; i < tableBytes; ++i)
        file[54 + i] = static_cast<BYTE>(i * 7 + 1);
    for (size_t i = 0; i < pixelBytes; ++i)
        file[offBits + i] = static_cast<BYTE>(i * 13 + 5);
    return file;
}

std::vector<BYTE> Slice(const std::vector<BYTE>& bytes, size_t from, size_t count)
{
    return std::vector<BYTE>(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(from + count));
}

DWORD LoadBytes(CDib& image, const std::vector<BYTE>& bytes)
{
    BytesFile file(bytes);
    return image.Load(file, 0);
}

// Writes through a memory file and returns the file's bytes.
std::vector<BYTE> WriteToMemory(CDib& image)
{
    CMemFile file;
    EXPECT_EQ(image.WriteBmp(file, 0), DIB_OK);
    return FileBytes(file);
}

std::string TempPath(const char* name)
{
    return ::testing::TempDir() + "velmoro_" + std::to_string(::getpid()) + "_" + name;
}

TEST(BmpLoad, EveryDepthLoadsHeaderTableAndPixelsVerbatim)
{
    const BmpSpec specs[] = {{9, 3, 1}, {9, 3, 4}, {5, 4, 8}, {5, 4, 8, BI_RGB, 20}, {3, 2, 16},
                             {3, 2, 16, BI_BITFIELDS}, {7, 3, 24}, {2, 2, 32}, {2, 2, 24, BI_RGB, 2}};
    for (const BmpSpec& spec : specs) {
        const std::vector<BYTE> bytes = MakeBmp(spec);
        CDib image;
        ASSERT_EQ(LoadBytes(image, bytes), DIB_OK) << spec.bitCount;
        EXPECT_EQ(image.GetWidth(), spec.width);
        EXPECT_EQ(image.GetHeight(), spec.height);
        EXPECT_EQ(image.GetBitCount(), spec.bitCount);
        ImageSnapshot loaded(image);
        EXPECT_EQ(loaded.info, Slice(bytes, 14, loaded.info.size()));
        const DWORD offBits = bytes[10] | bytes[11] << 8;
        EXPECT_EQ(loaded.bits, Slice(bytes, offBits, bytes.size() - offBits));
    }
}

TEST(BmpLoad, ShortTableStillSeeksToThePixelsAndSkipsAnyGap)
{
    BmpSpec spec{5, 4, 8, BI_RGB, 20, 100};
    const std::vector<BYTE> bytes = MakeBmp(spec);
    CDib image;
    ASSERT_EQ(LoadBytes(image, bytes), DIB_OK);
    EXPECT_EQ(image.GetColorEntrySize(), 80);
    EXPECT_EQ(ImageSnapshot(image).bits, Slice(bytes, 54 + 80 + 100, 4 * 8));

    std::vector<BYTE> wrongSize = MakeBmp(BmpSpec{4, 4, 24});
    Put<DWORD>(wrongSize, 2, 7);  // bfSize and biSizeImage play no part
    Put<DWORD>(wrongSize, 34, 99999);
    EXPECT_EQ(LoadBytes(image, wrongSize), DIB_OK);
}

// Bit fields at 16 bits mean 5-6-5 to every operation: a file that spells out
// 5-5-5 in its masks becomes the BI_RGB record of the same pixels; any other
// masks stay as stored.
TEST(BmpLoad, SpelledOut555MasksBecomeThePlain16BitRecord)
{
    const struct {
        DWORD masks[3];
        DWORD clrUsed;
        DWORD compression;
    } cases[] = {{{0x7C00, 0x03E0, 0x001F}, 0, BI_RGB},
                 {{0x7C00, 0x03E0, 0x001F}, 2, BI_RGB},
                 {{0xF800, 0x07E0, 0x001F}, 0, BI_BITFIELDS},
                 {{0x7C00, 0x03E0, 0x001E}, 0, BI_BITFIELDS},
                 {{0x001F, 0x03E0, 0x7C00}, 2, BI_BITFIELDS}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.masks[0] + c.masks[2]);
        std::vector<BYTE> bytes = MakeBmp(BmpSpec{3, 2, 16, BI_BITFIELDS, c.clrUsed});
        for (int i = 0; i < 3; ++i)
            Put<DWORD>(bytes, 54 + 4 * i, c.masks[i]);
        CDib image;
        ASSERT_EQ(LoadBytes(image, bytes), DIB_OK);
        EXPECT_EQ(image.GetCompression(), c.compression);
        const size_t masksKept = c.compression == BI_BITFIELDS ? 12 : 0;
        const ImageSnapshot loaded(image);
        EXPECT_EQ(loaded.info.size(), 40 + masksKept + 4 * c.clrUsed);
        EXPECT_EQ(Slice(loaded.info, 40, loaded.info.size() - 40), Slice(bytes, 54 + 12 - masksKept, masksKept + 4 * c.clrUsed));
        EXPECT_EQ(loaded.bits, Slice(bytes, bytes.size() - 16, 16));
    }
}

TEST(BmpLoad, CoreHeaderBecomesWindowsHeaderWithFourByteEntries)
{
    // 12-byte header, 256 three-byte entries, 3 x 2 pixels at 8 bits.
    std::vector<BYTE> bytes(14 + 12 + 768 + 8);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put<DWORD>(bytes, 10, 14 + 12 + 768);
    Put(bytes, 14, BITMAPCOREHEADER{12, 3, 2, 1, 8});
    for (int i = 0; i < 768; ++i)
        bytes[26 + i] = static_cast<BYTE>(i);
    CDib image;
    ASSERT_EQ(LoadBytes(image, bytes), DIB_OK);
    const BITMAPINFOHEADER& header = image.GetBmpInfoAddress()->bmiHeader;
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biClrUsed, 0u);
    EXPECT_EQ(image.GetNumColorEntry(), 256);
    const RGBQUAD entry = image.GetColorTabAddress()[5];
    EXPECT_EQ(entry.rgbBlue, 15);
    EXPECT_EQ(entry.rgbGreen, 16);
    EXPECT_EQ(entry.rgbRed, 17);
    EXPECT_EQ(entry.rgbReserved, 0);

    const std::vector<BYTE> written = WriteToMemory(image);
    EXPECT_EQ(written.size(), 14u + 40 + 1024 + 8);
    EXPECT_EQ(written[10] | written[11] << 8, 1078);
}

struct RefusedFile {
    const char* what;
    std::vector<BYTE> bytes;
    DWORD code;
};

std::vector<RefusedFile> RefusedFiles()
{
    std::vector<RefusedFile> files;
    const std::vector<BYTE> good = MakeBmp(BmpSpec{});
    files.push_back({"empty file", {}, DIB_ERR_FILE_IO});
    files.push_back({"20 bytes of BM", Slice(good, 0, 20), DIB_ERR_FILE_IO});
    std::vector<BYTE> notBmp = good;
    notBmp[0] = 'X';
    files.push_back({"not BM", notBmp, DIB_ERR_NOT_BMP});
    std::vector<BYTE> v4 = good;
    Put<DWORD>(v4, 14, 108);
    files.push_back({"108-byte header", v4, DIB_ERR_BAD_HEADER});
    std::vector<BYTE> rle = good;
    Put<DWORD>(rle, 30, BI_RLE8);
    files.push_back({"RLE8", rle, DIB_ERR_COMPRESSED});
    files.push_back({"top-down", MakeBmp(BmpSpec{3, -2, 8}), DIB_ERR_NO_MEMORY});
    std::vector<BYTE> topDownNoPixels = MakeBmp(BmpSpec{0, 2, 24});
    Put<LONG>(topDownNoPixels, 22, -2);  // stride 0: the block size alone would not tell
    files.push_back({"top-down with width 0", topDownNoPixels, DIB_ERR_NO_MEMORY});
    std::vector<BYTE> mirrored = MakeBmp(BmpSpec{3, 2, 24});
    Put<LONG>(mirrored, 18, -3);
    Put<LONG>(mirrored, 22, -2);
    files.push_back({"negative width and height", mirrored, DIB_ERR_BAD_HEADER});
    std::vector<BYTE> negativeWidth = MakeBmp(BmpSpec{3, 2, 24});
    Put<LONG>(negativeWidth, 18, -3);
    files.push_back({"negative width", negativeWidth, DIB_ERR_NO_MEMORY});
    files.push_back({"short pixels", Slice(good, 0, good.size() - 1), DIB_ERR_FILE_IO});
    files.push_back({"short colour table", Slice(good, 0, 54 + 1000), DIB_ERR_FILE_IO});
    std::vector<BYTE> hugeTable = good;
    Put<DWORD>(hugeTable, 46, 0x40000000);  // 4 GiB of entries: does not fit 32 bits
    files.push_back({"biClrUsed 0x40000000", hugeTable, DIB_ERR_NO_MEMORY});
    std::vector<BYTE> bigTable = good;
    Put<DWORD>(bigTable, 46, 0x10000000);  // fits 32 bits, not the file
    files.push_back({"biClrUsed past the end", bigTable, DIB_ERR_FILE_IO});
    std::vector<BYTE> huge = MakeBmp(BmpSpec{1, 1, 24});
    huge.resize(100);
    Put<LONG>(huge, 18, 100000);
    Put<LONG>(huge, 22, 100000);
    files.push_back({"100000 x 100000 in 100 bytes", huge, DIB_ERR_NO_MEMORY});
    std::vector<BYTE> overflowing = MakeBmp(BmpSpec{1, 1, 32});
    overflowing.resize(100);
    Put<LONG>(overflowing, 18, 0x7FFFFFFF);  // stride x height beyond 64 bits
    Put<LONG>(overflowing, 22, 0x7FFFFFFF);
    files.push_back({"stride x height beyond 64 bits", overflowing, DIB_ERR_NO_MEMORY});
    std::vector<BYTE> bigPixels = MakeBmp(BmpSpec{1, 1, 24});
    Put<LONG>(bigPixels, 22, 1000);
    files.push_back({"pixels past the end", bigPixels, DIB_ERR_FILE_IO});
    std::vector<BYTE> offPastEnd = good;
    Put<DWORD>(offPastEnd, 10, 0xFFFFFFF0);
    files.push_back({"bfOffBits past the end", offPastEnd, DIB_ERR_FILE_IO});
    return files;
}

TEST(BmpLoad, RefusedFilesGiveTheirCodeAndKeepTheOldImage)
{
    for (const RefusedFile& refused : RefusedFiles()) {
        TestImage image(ImageSpec{4, 3, 24}, 9);
        ImageSnapshot before(image);
        BytesFile file(refused.bytes);
        EXPECT_EQ(image.Load(file, 1), refused.code) << refused.what;
        EXPECT_TRUE(before.Matches(image)) << refused.what;
        EXPECT_EQ(file.closeCount, 0) << refused.what << ": closed on failure";
    }
}

TEST(BmpLoad, EveryTruncationFailsCleanly)
{
    const std::vector<BYTE> good = MakeBmp(BmpSpec{5, 3, 4, BI_RGB, 5});
    for (size_t length = 0; length < good.size(); ++length) {
        TestImage image(ImageSpec{2, 2, 8}, 3);
        ImageSnapshot before(image);
        ShortReadFile file(good, length);
        EXPECT_EQ(image.Load(file, 1), DIB_ERR_FILE_IO) << length;
        EXPECT_TRUE(before.Matches(image)) << length;
    }
}

TEST(BmpLoad, FileObjectPositionAndClosing)
{
    const std::vector<BYTE> bytes = MakeBmp(BmpSpec{5, 4, 8, BI_RGB, 20, 12});
    BytesFile kept(bytes);
    kept.Seek(30, CFile::begin);  // the image always starts at byte 0
    CDib image;
    ASSERT_EQ(image.Load(kept, 0), DIB_OK);
    EXPECT_EQ(kept.closeCount, 0);
    EXPECT_EQ(kept.GetPosition(), bytes.size());

    BytesFile closed(bytes);
    ASSERT_EQ(image.Load(closed, 7), DIB_OK);
    EXPECT_EQ(closed.closeCount, 1);
}

TEST(BmpLoad, PathFormOpensReadsAndReportsMissingFiles)
{
    CDib image;
    EXPECT_EQ(image.Load("/nonexistent/velmoro.bmp"), DIB_ERR_OPEN);
    // A folder is no file: refused at the opening, where a read of it would throw.
    EXPECT_EQ(image.Load(::testing::TempDir().c_str()), DIB_ERR_OPEN);
    CFile folder;
    CFileException why;
    EXPECT_FALSE(folder.Open(::testing::TempDir().c_str(), CFile::modeRead, &why));
    EXPECT_EQ(why.m_cause, CFileException::accessDenied);
    const std::string path = TempPath("path.bmp");
    const std::vector<BYTE> bytes = MakeBmp(BmpSpec{6, 5, 24});
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    EXPECT_EQ(image.Load(path.c_str()), DIB_OK);
    EXPECT_EQ(image.GetWidth(), 6);
    std::remove(path.c_str());
}

TEST(BmpWrite, FileLayoutFollowsTheInfoBlock)
{
    TestImage palette(ImageSpec{3, 2, 8}, 4);
    std::vector<BYTE> bytes = WriteToMemory(palette);
    ASSERT_EQ(bytes.size(), 1086u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    DWORD size, offBits;
    std::memcpy(&size, &bytes[2], 4);
    std::memcpy(&offBits, &bytes[10], 4);
    EXPECT_EQ(size, 1086u);
    EXPECT_EQ(offBits, 1078u);

    TestImage bitfields(ImageSpec{3, 2, 16, BI_BITFIELDS}, 4);
    bytes = WriteToMemory(bitfields);
    std::memcpy(&offBits, &bytes[10], 4);
    EXPECT_EQ(offBits, 66u);
}

TEST(BmpWrite, RoundTripsAreByteForByte)
{
    const ImageSpec specs[] = {{17, 3, 1}, {9, 4, 4}, {5, 5, 8, BI_RGB, 30}, {3, 2, 16}, {3, 2, 16, BI_BITFIELDS},
                               {7, 3, 24}, {3, 3, 32}};
    for (const ImageSpec& spec : specs) {
        TestImage original(spec, 11);
        const std::vector<BYTE> bytes = WriteToMemory(original);
        CDib reloaded;
        ASSERT_EQ(LoadBytes(reloaded, bytes), DIB_OK);
        EXPECT_EQ(ImageSnapshot(reloaded).info, original.InfoCopy());
        EXPECT_EQ(ImageSnapshot(reloaded).bits, original.PixelCopy());
    }

    TestImage original(ImageSpec{4, 4, 24}, 2);
    const std::string path = TempPath("roundtrip.bmp");
    ASSERT_EQ(original.WriteBmp(path.c_str()), static_cast<int>(DIB_OK));
    CDib reloaded;
    ASSERT_EQ(reloaded.Load(path.c_str()), DIB_OK);
    EXPECT_EQ(ImageSnapshot(reloaded).bits, original.PixelCopy());
    std::remove(path.c_str());
}

TEST(BmpWrite, WritesStartAtTheCurrentPositionAndCloseOnlyOnSuccess)
{
    TestImage image(ImageSpec{2, 2, 24}, 5);
    BytesFile file(std::vector<BYTE>(10, 0xEE));
    file.Seek(0, CFile::end);
    ASSERT_EQ(image.WriteBmp(file, 1), DIB_OK);
    EXPECT_EQ(file.closeCount, 1);
    const std::vector<BYTE> bytes = FileBytes(file);
    EXPECT_EQ(bytes[9], 0xEE);
    EXPECT_EQ(bytes[10], 'B');
}

TEST(BmpWrite, FailuresAreReportedNotThrown)
{
    TestImage image(ImageSpec{2, 2, 8}, 5);
    for (int failAt = 1; failAt <= 3; ++failAt) {
        FailingWriteFile file(failAt);
        EXPECT_EQ(image.WriteBmp(file, 1), DIB_ERR_WRITE) << failAt;
        EXPECT_EQ(file.writes, failAt) << "nothing is written after the failure";
        EXPECT_EQ(file.closeCount, 0);
    }

    EXPECT_EQ(image.WriteBmp("/nonexistent/dir/out.bmp"), static_cast<int>(DIB_ERR_OPEN));

    CDib empty;
    CMemFile memory;
    EXPECT_EQ(empty.WriteBmp(memory, 1), DIB_ERR_EMPTY);
    EXPECT_EQ(memory.GetLength(), 0u);
    const std::string path = TempPath("empty.bmp");
    EXPECT_EQ(empty.WriteBmp(path.c_str()), static_cast<int>(DIB_ERR_EMPTY));
    EXPECT_NE(::access(path.c_str(), F_OK), 0) << "no file is made for an empty image";
}

// The picture as R,G,B bytes, top row first, rows unpadded.
std::vector<BYTE> TopDownRgb(const CDib& image)
{
    const int width = image.GetWidth(), height = image.GetHeight(), bits = image.GetBitCount();
    const int stride = ((width * bits + 31) >> 3) & ~3;
    std::vector<BYTE> rgb;
    for (int y = height - 1; y >= 0; --y) {
        const BYTE* row = image.GetBmpBitsAddress() + static_cast<size_t>(stride) * y;
        for (int x = 0; x < width; ++x) {
            if (bits == 8) {
                const RGBQUAD& entry = image.GetColorTabAddress()[row[x]];
                rgb.insert(rgb.end(), {entry.rgbRed, entry.rgbGreen, entry.rgbBlue});
            } else {
                rgb.insert(rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            }
        }
    }
    return rgb;
}

TEST(BmpCorpus, EveryFileGivesItsExpectedResult)
{
    const std::string root = VELMORO_CORPUS_DIR "/bmpsuite/";
    std::ifstream table(root + "expected.tsv");
    ASSERT_TRUE(table) << "no bmpsuite corpus at " << root;
    std::string line;
    std::getline(table, line);  // column names
    int files = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string file, code, width, height, bitCount, md5;
        std::getline(fields, file, '\t');
        std::getline(fields, code, '\t');
        std::getline(fields, width, '\t');
        std::getline(fields, height, '\t');
        std::getline(fields, bitCount, '\t');
        std::getline(fields, md5, '\t');
        ++files;
        CDib image;
        const DWORD result = image.Load((root + file).c_str());
        if (code == "0x002|0x100") {
            EXPECT_TRUE(result == DIB_ERR_FILE_IO || result == DIB_ERR_NO_MEMORY) << file << ": " << result;
            continue;
        }
        ASSERT_EQ(result, std::stoul(code, nullptr, 16)) << file;
        if (result != DIB_OK)
            continue;
        EXPECT_EQ(image.GetWidth(), std::stoi(width)) << file;
        EXPECT_EQ(image.GetHeight(), std::stoi(height)) << file;
        EXPECT_EQ(image.GetBitCount(), std::stoi(bitCount)) << file;
        if (md5 != "-") {
            EXPECT_EQ(Md5Hex(TopDownRgb(image)), md5) << file;
        }
    }
    EXPECT_EQ(files, 90);
}

}  // namespace
