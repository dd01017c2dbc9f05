// SPDX-License-Identifier: MIT
// The BMP side of the picture reader: ImageMagick's and Pillow's files against
// raw reference pictures, the bmpsuite corpus against Pillow and against Load,
// hostile run-length streams and headers.
#include <velmoro/picture_io.h>

#include "support/made_pictures.h"
#include "support/md5.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace velmoro_test;

namespace {

const std::string kDataDir = VELMORO_TEST_DATA_DIR "/bmp_compat/";
const std::string kSuiteDir = VELMORO_CORPUS_DIR "/bmpsuite/";

DWORD LoadBytes(const std::vector<BYTE>& bytes, CDib& image)
{
    return LoadPicture(image, bytes.data(), bytes.size(), DefaultPictureReadOptions());
}

DWORD LoadFile(const std::string& path, CDib& image)
{
    return LoadPicture(image, path.c_str());
}

// What the file stores, as its headers say.
PictureInfo StoredForm(const std::string& path)
{
    PictureInfo info{};
    EXPECT_EQ(ReadPictureInfo(path.c_str(), info), DIB_OK) << path;
    return info;
}

// Index of the pixel at x in a stored row of 1 to 8 bits.
unsigned IndexAt(const BYTE* row, int x, int bits)
{
    const int bit = x * bits;
    return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

// The picture as R, G, B bytes, top row first, the form of the PPM references and
// of the Pillow MD5s. Indices past the table read as black; the two 16-bit
// layouts widen to 8 bits as Pillow widens them (v * 255 / max, truncated),
// channels under other masks by repeating their bits, or rounded when wider
// than 8 bits or with holes.
std::vector<BYTE> PictureRgb(const TestImage& image)
{
    const int bits = image.GetBitCount();
    const bool bitfields = image.GetCompression() == BI_BITFIELDS;
    DWORD masks[3] = {0xFF0000, 0xFF00, 0xFF};
    if (bits == 16)
        masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F;
    if (bitfields)
        std::memcpy(masks, image.GetColorTabAddress(), sizeof masks);
    const RGBQUAD* table = image.GetColorTabAddress() + (bitfields ? 3 : 0);
    const bool pillowLayout = bits == 16 && (masks[0] == 0xF800 || masks[0] == 0x7C00) && masks[2] == 0x1F &&
                              (masks[1] == 0x7E0 || masks[1] == 0x3E0);
    std::vector<BYTE> rgb;
    for (int y = image.GetHeight() - 1; y >= 0; --y) {
        const BYTE* row = image.Row(y);
        for (int x = 0; x < image.GetWidth(); ++x) {
            if (bits <= 8) {
                const unsigned index = IndexAt(row, x, bits);
                const RGBQUAD entry = index < unsigned(image.GetNumColorEntry()) ? table[index] : RGBQUAD{};
                rgb.insert(rgb.end(), {entry.rgbRed, entry.rgbGreen, entry.rgbBlue});
                continue;
            }
            if (bits == 24) {
                rgb.insert(rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
                continue;
            }
            DWORD pixel = 0;  // 16 or 32 bits; of 64, the low half
            std::memcpy(&pixel, row + x * bits / 8, std::min<size_t>(bits / 8, sizeof pixel));
            for (DWORD mask : masks) {
                const uint64_t top = mask ? mask >> __builtin_ctz(mask) : 1;
                const uint64_t value = mask ? (pixel & mask) >> __builtin_ctz(mask) : 0;
                const int width = __builtin_popcount(mask);
                if (!pillowLayout && width > 0 && width <= 8 && (top & (top + 1)) == 0) {
                    unsigned repeated = 0;
                    for (int shift = 8 - width; shift > -width; shift -= width)
                        repeated |= shift >= 0 ? unsigned(value) << shift : unsigned(value) >> -shift;
                    rgb.push_back(static_cast<BYTE>(repeated));
                    continue;
                }
                const uint64_t rounding = pillowLayout ? 0 : top / 2;
                rgb.push_back(static_cast<BYTE>((value * 255 + rounding) / top));
            }
        }
    }
    return rgb;
}

TEST(PictureBmp, WritersFilesGiveTheirReferencePictures)
{
    struct WriterFile {
        const char* file;
        const char* reference;
        int bits;
        DWORD compression;
        int tolerance;  // 5-6-5 keeps 5 or 6 bits of each channel
    };
    const WriterFile files[] = {
        {"im_v5_rgb24", "colour", 24, BI_RGB, 0},        {"im_v5_bgra32", "colour", 24, BI_RGB, 0},
        {"im_v5_rgb565", "colour", 16, BI_BITFIELDS, 8}, {"im_v5_pal4", "colour", 8, BI_RGB, 0},
        {"im_v5_pal8", "many", 8, BI_RGB, 0},            {"im_v5_rle8", "many", 8, BI_RGB, 0},
        {"im_v4_grey4", "grey", 8, BI_RGB, 0},           {"im_v4_mono", "mono", 8, BI_RGB, 0},
        {"im_bmp3_rgb24", "colour", 24, BI_RGB, 0},      {"im_bmp3_bgra32", "colour", 24, BI_RGB, 0},
        {"im_bmp3_pal4", "colour", 8, BI_RGB, 0},        {"im_bmp3_rle8", "many", 8, BI_RGB, 0},
        {"im_bmp2_pal8", "many", 8, BI_RGB, 0},          {"pil_mono", "mono", 8, BI_RGB, 0},
        {"pil_pal8", "colour", 8, BI_RGB, 0},            {"pil_grey8", "grey", 8, BI_RGB, 0},
        {"pil_rgb24", "colour", 24, BI_RGB, 0},          {"pil_rgba32", "colour", 24, BI_RGB, 0},
        {"hand_rle8", "many", 8, BI_RGB, 0},             {"hand_rle4", "colour", 8, BI_RGB, 0},
        {"hand_topdown_rle4", "colour", 8, BI_RGB, 0},   {"hand_topdown_pal8", "colour", 8, BI_RGB, 0},
        {"hand_topdown_v5_rgb24", "colour", 24, BI_RGB, 0},
    };
    for (const WriterFile& file : files) {
        SCOPED_TRACE(file.file);
        TestImage image;
        ASSERT_EQ(LoadFile(kDataDir + file.file + ".bmp", image), DIB_OK);
        EXPECT_EQ(image.GetWidth(), 13);
        EXPECT_EQ(image.GetHeight(), 7);
        EXPECT_EQ(image.GetBitCount(), file.bits);
        EXPECT_EQ(image.GetCompression(), file.compression);
        const std::vector<BYTE> expected = ReadPpm(kDataDir + "ref_" + file.reference + ".ppm");
        const std::vector<BYTE> actual = PictureRgb(image);
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < actual.size(); ++i)
            ASSERT_LE(std::abs(actual[i] - expected[i]), file.tolerance) << "byte " << i;
    }
}

// ImageMagick's 16-bit layouts and 32-bit files with alpha: 5-5-5 and 5-6-5
// stay 16 bits and hold ImageMagick's colours in their own layout; other masks
// become 24 bits with its colours; alpha follows the read options.
TEST(PictureBmp, ImageMagicksBitFieldFilesGiveItsPixels)
{
    const MadePictures& pictures = MadePictures::Get();
    ASSERT_TRUE(pictures.Ready()) << pictures.Problem();
    const COLORREF key = RGB(0xFF, 0x00, 0xFF);
    const struct {
        const char* file;
        int bits;
        DWORD compression;
        bool alpha;
    } cases[] = {{"bmp_rgb555.bmp", 16, BI_RGB, false},     {"bmp_rgb565.bmp", 16, BI_BITFIELDS, false},
                 {"bmp_argb4444.bmp", 24, BI_RGB, true},    {"bmp_argb1555.bmp", 16, BI_RGB, true},
                 {"bmp_bgra32.bmp", 24, BI_RGB, true},      {"bmp_pal4.bmp", 8, BI_RGB, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TestImage image;
        ASSERT_EQ(LoadFile(pictures.Path(c.file), image), DIB_OK);
        EXPECT_EQ(image.GetBitCount(), c.bits);
        EXPECT_EQ(image.GetCompression(), c.compression);
        std::vector<BYTE> rgba = pictures.Rgba(c.file);
        if (std::string(c.file) == "bmp_argb4444.bmp") {
            // ImageMagick widens 4-bit channels to 16 v, so that its white is 240; the reader to 17 v.
            for (BYTE& sample : rgba)
                sample = static_cast<BYTE>((sample >> 4) * 0x11);
        }
        std::vector<BYTE> expected = WithoutAlpha(rgba);
        if (c.bits == 16) {
            // The 16-bit layout's own bits of ImageMagick's colours: its low bits repeat the high ones.
            const int greenBits = c.compression == BI_BITFIELDS ? 6 : 5;
            for (size_t i = 0; i < expected.size(); ++i)
                expected[i] = static_cast<BYTE>(expected[i] >> (i % 3 == 1 ? 8 - greenBits : 3) << (i % 3 == 1 ? 8 - greenBits : 3));
        }
        EXPECT_EQ(ImageRgb(image), expected);
        if (!c.alpha)
            continue;
        PictureReadOptions options = DefaultPictureReadOptions();
        options.alpha = PICTURE_ALPHA_KEY;
        options.keyColor = key;
        ASSERT_EQ(LoadPicture(image, pictures.Path(c.file).c_str(), options), DIB_OK);
        EXPECT_EQ(image.GetBitCount(), 24);
        EXPECT_EQ(ImageRgb(image), Keyed(rgba, key));
        if (std::string(c.file) == "bmp_argb4444.bmp")
            continue;  // ImageMagick composites its narrower colours
        options.alpha = PICTURE_ALPHA_BACKGROUND;
        options.background = MadePictures::kBackground;
        ASSERT_EQ(LoadPicture(image, pictures.Path(c.file).c_str(), options), DIB_OK);
        if (std::string(c.file) == "bmp_argb1555.bmp") {
            // One alpha bit: the background or the colour. (ImageMagick makes a set bit half alpha.)
            EXPECT_EQ(ImageRgb(image), Keyed(rgba, MadePictures::kBackground));
            continue;
        }
        EXPECT_LE(WorstDifference(ImageRgb(image), pictures.RgbOverBackground(c.file)), 1);
    }
}

// Files Load takes come through with the same picture, in a form every
// operation takes; every bad file gives a code and leaves the image as it was.
TEST(PictureBmp, PlainFilesMatchLoadAndBadFilesKeepTheImage)
{
    for (const char* folder : {"g", "q", "b"}) {
        for (const auto& entry : std::filesystem::directory_iterator(kSuiteDir + folder)) {
            SCOPED_TRACE(entry.path().string());
            TestImage read(ImageSpec{3, 2, 24}, 7);
            const ImageSnapshot before(read);
            const DWORD code = LoadFile(entry.path().string(), read);
            if (code != DIB_OK) {
                EXPECT_TRUE(before.Matches(read));
                continue;
            }
            EXPECT_TRUE(read.GetBitCount() == 8 || read.GetBitCount() == 16 || read.GetBitCount() == 24);
            TestImage plain;
            if (plain.Load(entry.path().c_str()) != DIB_OK || plain.GetBitCount() == 64)
                continue;  // Load leaves 64-bit linear light as it is stored
            EXPECT_EQ(read.GetWidth(), plain.GetWidth());
            EXPECT_EQ(read.GetHeight(), plain.GetHeight());
            EXPECT_EQ(PictureRgb(read), PictureRgb(plain));
        }
    }
    TestImage image(ImageSpec{3, 2, 24}, 7);
    const ImageSnapshot before(image);
    EXPECT_EQ(LoadFile(kDataDir + "missing.bmp", image), DIB_ERR_OPEN);
    EXPECT_TRUE(before.Matches(image));
}

template <typename T>
void Put(std::vector<BYTE>& bytes, size_t offset, T value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// A file with a header of any size (the 40-byte fields, zeros behind them), then
// `tableBytes` of colour table (entry i: blue i, green 2i, red 3i) and `pixels`.
std::vector<BYTE> MakeFile(uint32_t headerBytes, int32_t width, int32_t height, WORD bits, DWORD compression,
                           uint32_t tableBytes, const std::vector<BYTE>& pixels, DWORD clrUsed = 0)
{
    const uint32_t offBits = 14 + headerBytes + tableBytes;
    std::vector<BYTE> file(offBits + pixels.size(), 0);
    file[0] = 'B';
    file[1] = 'M';
    Put<DWORD>(file, 2, static_cast<DWORD>(offBits + pixels.size()));
    Put<DWORD>(file, 10, offBits);
    Put(file, 14, BITMAPINFOHEADER{headerBytes, width, height, 1, bits, compression, 0, 0, 0, clrUsed, 0});
    for (uint32_t i = 0; i < tableBytes; ++i)
        file[14 + headerBytes + i] = static_cast<BYTE>(i % 4 == 3 ? 0 : (i / 4) * (i % 4 + 1));
    std::copy(pixels.begin(), pixels.end(), file.begin() + offBits);
    return file;
}

// Indices as hex digits, top row first, rows split by '/'.
std::string IndicesTopFirst(const TestImage& image)
{
    std::string text;
    for (int y = image.GetHeight() - 1; y >= 0; --y) {
        for (int x = 0; x < image.GetWidth(); ++x)
            text += "0123456789abcdef"[IndexAt(image.Row(y), x, image.GetBitCount())];
        text += y ? "/" : "";
    }
    return text;
}

// Every good or questionable file gives Pillow's picture, or for files Pillow
// refuses that of a twin it reads; only JPEG, PNG, Huffman and RLE24 are refused.
// Run-length files give their uncompressed twin's picture wherever they draw.
TEST(PictureBmp, SuiteFilesLoadWithPillowsPicture)
{
    const std::set<std::string> compressed = {"q/pal1huffmsb.bmp", "q/rgb24jpeg.bmp", "q/rgb24png.bmp",
                                              "q/rgb24rle24.bmp"};
    const std::map<std::string, std::string> twins = {
        {"g/rgb32bf.bmp", "g/rgb24.bmp"},      {"q/rgb32h52.bmp", "g/rgb24.bmp"},
        {"q/pal8os2v2-16.bmp", "g/pal8.bmp"},  {"q/pal8oversizepal.bmp", "g/pal8.bmp"},
        {"q/rgba32abf.bmp", "q/rgba32-1.bmp"}, {"q/rgba32h56.bmp", "q/rgba32-1.bmp"},
        {"q/rgba32-2.bmp", "q/rgba32-1.bmp"}};
    std::map<std::string, std::string> pillow;
    std::ifstream list(kDataDir + "pillow_bmpsuite.tsv");
    std::string columns;
    std::getline(list, columns);
    for (std::string file, md5; list >> file >> md5;)
        pillow[file] = md5;
    ASSERT_EQ(pillow.size(), 70u);
    for (const auto& [file, md5] : pillow) {
        SCOPED_TRACE(file);
        TestImage image;
        if (compressed.count(file)) {
            EXPECT_EQ(LoadFile(kSuiteDir + file, image), DIB_ERR_COMPRESSED);
            continue;
        }
        ASSERT_EQ(LoadFile(kSuiteDir + file, image), DIB_OK);
        const PictureInfo stored = StoredForm(kSuiteDir + file);
        EXPECT_EQ(image.GetBitCount(), stored.imageBitCount);
        EXPECT_EQ(image.GetCompression(), stored.imageCompression);
        EXPECT_EQ(image.GetBitCount() == 8 ? image.GetNumColorEntry() : 0, stored.imageColorEntries);
        if (stored.bitCount <= 8) {
            EXPECT_LE(image.GetNumColorEntry(), 1 << stored.bitCount);
        }
        const std::string expectedMd5 = twins.count(file) ? pillow[twins.at(file)] : md5;
        if (expectedMd5 != "-" && expectedMd5 != "rle") {
            EXPECT_EQ(Md5Hex(PictureRgb(image)), expectedMd5);
        }
        if (md5 != "rle")
            continue;
        TestImage twin;
        ASSERT_EQ(twin.Load((kSuiteDir + (stored.bitCount == 4 ? "g/pal4.bmp" : "g/pal8.bmp")).c_str()), DIB_OK);
        const std::vector<BYTE> expected = PictureRgb(twin), actual = PictureRgb(image);
        const int width = image.GetWidth(), height = image.GetHeight();
        int undrawn = 0;
        for (int i = 0; i < width * height; ++i) {
            const bool same = std::equal(&actual[3 * i], &actual[3 * i + 3], &expected[3 * i]);
            undrawn += !same;
            const BYTE* row = image.Row(height - 1 - i / width);
            EXPECT_TRUE(same || IndexAt(row, i % width, image.GetBitCount()) == 0) << "pixel " << i;
        }
        EXPECT_TRUE(file[0] == 'q' || undrawn == 0);  // the good ones draw every pixel
    }
}

// Streams are bottom row first. Runs past the row end are clipped, past the
// last row the picture ends, a cut stream keeps what it drew, unreached pixels are 0.
TEST(PictureBmp, HostileRunLengthStreamsAreClippedNeverOverrun)
{
    struct RleCase {
        const char* what;
        DWORD compression;
        int width, height;
        std::vector<BYTE> stream;
        const char* indices;
    };
    const RleCase cases[] = {
        {"run past the row end", BI_RLE8, 4, 2, {6, 3, 2, 5, 0, 0, 2, 4, 0, 1}, "4400/3333"},
        {"odd absolute run skips its pad", BI_RLE8, 4, 2, {0, 3, 1, 2, 3, 0xEE, 0, 0, 1, 9, 0, 1}, "9000/1230"},
        {"absolute run past the row end", BI_RLE8, 2, 2, {0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 1, 9}, "90/12"},
        {"delta leaves zeros", BI_RLE8, 4, 3, {1, 1, 0, 2, 2, 1, 1, 2, 0, 1}, "0000/0002/1000"},
        {"delta past the picture", BI_RLE8, 2, 2, {1, 1, 0, 2, 0, 5, 1, 2, 0, 1}, "00/10"},
        {"rows past the last row", BI_RLE8, 2, 1, {1, 1, 0, 0, 1, 2, 0, 0, 1, 3}, "10"},
        {"stream cut inside an absolute run", BI_RLE8, 3, 1, {1, 4, 0, 5, 1, 2}, "400"},
        {"stream cut inside a delta", BI_RLE8, 3, 1, {1, 4, 0, 2, 1}, "400"},
        {"lone last byte, no end mark", BI_RLE8, 3, 1, {2, 7, 1}, "770"},
        {"RLE4 run alternates nibbles", BI_RLE4, 5, 1, {7, 0x12}, "12121"},
        {"RLE4 odd absolute run and pad", BI_RLE4, 6, 2, {0, 5, 0x12, 0x34, 0x50, 0xEE, 0, 0, 1, 0x90}, "900000/123450"},
        {"RLE4 delta past the row end", BI_RLE4, 3, 2, {1, 0x10, 0, 2, 9, 0, 2, 0x20, 0, 0, 1, 0x30}, "300/100"},
    };
    for (const RleCase& c : cases) {
        SCOPED_TRACE(c.what);
        const WORD bits = c.compression == BI_RLE8 ? 8 : 4;
        TestImage image;
        ASSERT_EQ(LoadBytes(MakeFile(40, c.width, c.height, bits, c.compression, 64, c.stream, 16), image), DIB_OK);
        EXPECT_EQ(image.GetNumColorEntry(), 16);
        EXPECT_EQ(IndicesTopFirst(image), c.indices);
    }
}

TEST(PictureBmp, RefusesContradictoryAndOversizedHeaders)
{
    const std::vector<BYTE> rows(8, 1);
    auto with = [](std::vector<BYTE> file, size_t offset, DWORD value) {
        Put(file, offset, value);
        return file;
    };
    const std::vector<BYTE> pal8 = MakeFile(40, 2, 2, 8, BI_RGB, 1024, rows);
    const struct {
        const char* what;
        std::vector<BYTE> file;
        DWORD code;
    } cases[] = {
        {"not BM", with(pal8, 0, 0x4D41), DIB_ERR_FORMAT},
        {"ten bytes", std::vector<BYTE>(pal8.begin(), pal8.begin() + 10), DIB_ERR_FILE_IO},
        {"header size 66", MakeFile(66, 2, 2, 8, BI_RGB, 1024, rows), DIB_ERR_BAD_HEADER},
        {"header cut off", std::vector<BYTE>(pal8.begin(), pal8.begin() + 50), DIB_ERR_FILE_IO},
        {"JPEG inside", MakeFile(124, 2, 2, 0, 4, 0, rows), DIB_ERR_COMPRESSED},
        {"PNG inside", MakeFile(124, 2, 2, 0, 5, 0, rows), DIB_ERR_COMPRESSED},
        {"OS/2 Huffman", MakeFile(64, 2, 2, 1, 3, 8, rows), DIB_ERR_COMPRESSED},
        {"bit count 30000", with(pal8, 28, 30000), DIB_ERR_BAD_HEADER},
        {"RLE8 at 4 bits", MakeFile(40, 2, 2, 4, BI_RLE8, 64, rows), DIB_ERR_BAD_HEADER},
        {"bit fields at 24 bits", MakeFile(40, 2, 2, 24, BI_BITFIELDS, 12, rows), DIB_ERR_BAD_HEADER},
        {"negative width", with(pal8, 18, DWORD(-2)), DIB_ERR_BAD_HEADER},
        {"height INT32_MIN", with(pal8, 22, 0x80000000u), DIB_ERR_BAD_HEADER},
        {"pixels beyond 4 GiB", MakeFile(40, 3000000, 2000000, 24, BI_RGB, 0, rows), DIB_ERR_NO_MEMORY},
        {"tiny RLE stream, huge picture", MakeFile(40, 40000, 40000, 8, BI_RLE8, 8, {0, 1}), DIB_ERR_NO_MEMORY},
        {"indexed pixels without colours", MakeFile(40, 2, 2, 8, BI_RGB, 0, rows), DIB_ERR_BAD_HEADER},
        {"pixels cut short", std::vector<BYTE>(pal8.begin(), pal8.end() - 1), DIB_ERR_FILE_IO},
        {"pixel offset past the end", with(pal8, 10, 5000), DIB_ERR_FILE_IO},
        {"masks cut off", MakeFile(40, 2, 2, 16, BI_BITFIELDS, 4, {}), DIB_ERR_FILE_IO},
    };
    TestImage image(ImageSpec{3, 2, 24}, 7);
    const ImageSnapshot before(image);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LoadBytes(c.file, image), c.code);
        EXPECT_TRUE(before.Matches(image));
    }
}

// Indexed pixels of every depth become one byte each under the same table. A
// table cut short by the pixels, or shorter than 256 entries, is spelled out
// in biClrUsed.
TEST(PictureBmp, IndexedPixelsWidenToBytesUnderTheSameTable)
{
    const struct {
        WORD bits;
        uint32_t tableBytes;
        DWORD clrUsed;
        std::vector<BYTE> stored;
        std::vector<BYTE> pixels;
    } cases[] = {{1, 8, 2, {0x40, 0, 0, 0}, {0, 1, 0, 0}},
                 {2, 16, 4, {0x9F, 0, 0, 0}, {2, 1, 0, 0}},
                 {4, 40, 10, {0x12, 0x34, 0, 0}, {1, 2, 0, 0}},
                 {8, 12, 3, {0x12, 0x34, 0, 0}, {0x12, 0x34, 0, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        TestImage image;
        ASSERT_EQ(LoadBytes(MakeFile(40, 2, 1, c.bits, BI_RGB, c.tableBytes, c.stored), image), DIB_OK);
        EXPECT_EQ(image.GetBitCount(), 8);
        EXPECT_EQ(image.GetBmpInfoAddress()->bmiHeader.biClrUsed, c.clrUsed);
        EXPECT_EQ(image.GetColorTabAddress()[1].rgbRed, 3);
        EXPECT_EQ(image.PixelCopy(), c.pixels);
    }
}

}  // namespace
