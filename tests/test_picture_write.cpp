// SPDX-License-Identifier: MIT
// The picture writer: BMP, PNG and JPEG from every depth, round trips, the
// JPEG options, and refusals that write nothing.
#include <velmoro/jpeg.h>
#include <velmoro/picture_io.h>
#include <velmoro/platform/file.h>

#include "support/gdi_canvas.h"
#include "support/made_pictures.h"
#include "support/test_files.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

using namespace velmoro_test;

namespace {

std::string TempPath(const std::string& name)
{
    return ::testing::TempDir() + "velmoro_write_" + std::to_string(::getpid()) + "_" + name;
}

std::vector<BYTE> Encoded(CDib& image, const PictureWriteOptions& options)
{
    CMemFile file;
    EXPECT_EQ(WritePicture(image, file, options), DIB_OK);
    return FileBytes(file);
}

DWORD Decode(const std::vector<BYTE>& bytes, CDib& image,
             const PictureReadOptions& options = DefaultPictureReadOptions())
{
    return LoadPicture(image, bytes.data(), bytes.size(), options);
}

// Every pixel's colour as the library reads each depth, or its stored value:
// an index, a 16-bit word or a colour.
std::vector<DWORD> EveryPixel(const CDib& image, DWORD (*read)(const CDib&, int, int))
{
    std::vector<DWORD> pixels;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            pixels.push_back(read(image, x, y));
    return pixels;
}

std::vector<DWORD> Colors(const CDib& image)
{
    return EveryPixel(image, PictureColor);
}

std::vector<DWORD> StoredPixels(const CDib& image)
{
    return EveryPixel(image, PicturePixel);
}

// Random pixels under a table of `entries` colours (-1: the default), or random 16, 24, 32-bit pixels.
TestImage Random(int bits, DWORD compression = BI_RGB, int entries = -1)
{
    TestImage image(ImageSpec{23, 9, bits, compression, entries}, 11);
    if (bits <= 8) {
        // Indices beyond a short table must stay indices beyond it.
        const int count = image.GetNumColorEntry();
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < image.Stride(); ++x)
                if (bits == 8 && count < 256)
                    image.Row(y)[x] = static_cast<BYTE>(image.Row(y)[x] % (count + 2));
    }
    return image;
}

// What is written comes back with the same picture: BMP keeps every depth the
// reader makes exactly, PNG keeps indexed images indexed, everything else in 24 bits.
TEST(PictureWrite, BmpAndPngRoundTripsKeepEveryPixel)
{
    const struct {
        const char* what;
        int bits;
        DWORD compression;
        int entries;
    } cases[] = {{"1 bit", 1, BI_RGB, -1},        {"4 bits", 4, BI_RGB, -1},   {"8 bits", 8, BI_RGB, -1},
                 {"8 bits, 20 entries", 8, BI_RGB, 20}, {"5-5-5", 16, BI_RGB, -1}, {"5-6-5", 16, BI_BITFIELDS, -1},
                 {"24 bits", 24, BI_RGB, -1},     {"32 bits", 32, BI_RGB, -1}, {"32-bit bit fields", 32, BI_BITFIELDS, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestImage original = Random(c.bits, c.compression, c.entries);
        const ImageSnapshot unchanged(original);
        for (int format : {PICTURE_FORMAT_BMP, PICTURE_FORMAT_PNG}) {
            SCOPED_TRACE(format);
            CDib read;
            ASSERT_EQ(Decode(Encoded(original, DefaultPictureWriteOptions(format)), read), DIB_OK);
            EXPECT_EQ(Colors(read), Colors(original));
            const bool sameForm = c.bits == 8 || (format == PICTURE_FORMAT_BMP && (c.bits == 16 || c.bits == 24));
            if (sameForm) {
                EXPECT_EQ(read.GetBitCount(), c.bits);
                EXPECT_EQ(read.GetCompression(), c.compression);
                EXPECT_EQ(StoredPixels(read), StoredPixels(original));
            }
        }
        EXPECT_TRUE(unchanged.Matches(original));
    }
}

// ImageMagick reads what the writer makes as the picture it is.
TEST(PictureWrite, ImageMagickReadsTheWrittenPng)
{
    ASSERT_TRUE(MadePictures::Get().Ready()) << MadePictures::Get().Problem();
    for (int bits : {4, 8, 24}) {
        SCOPED_TRACE(bits);
        TestImage original = Random(bits);
        const std::string png = TempPath("magick.png"), rgb = TempPath("magick.rgb");
        ASSERT_EQ(WritePicture(original, png.c_str()), DIB_OK);
        ASSERT_EQ(std::system(("convert '" + png + "' -depth 8 'rgb:" + rgb + "'").c_str()), 0);
        const std::vector<BYTE> decoded = ReadWholeFile(rgb);
        std::vector<BYTE> expected;
        for (DWORD color : Colors(original))
            expected.insert(expected.end(), {GetRValue(color), GetGValue(color), GetBValue(color)});
        EXPECT_EQ(decoded, expected);
        std::remove(png.c_str());
        std::remove(rgb.c_str());
    }
}

// With the key option the key colour is marked transparent; read back with the
// key rule, exactly those pixels become the reader's key colour.
TEST(PictureWrite, PngKeyColourBecomesTransparency)
{
    const COLORREF key = RGB(255, 255, 255);  // in the halftone table too
    for (int bits : {8, 16, 24}) {
        SCOPED_TRACE(bits);
        CDib image;
        ASSERT_EQ(image.Create(5, 3, bits, key, DIB_FORMAT_565), DIB_OK);
        if (bits == 8)
            image.GetBmpBitsAddress()[1] = 0;  // another colour of the halftone table
        else
            image.GetBmpBitsAddress()[0] ^= 0xFF;
        PictureWriteOptions options = DefaultPictureWriteOptions(PICTURE_FORMAT_PNG);
        options.alpha = PICTURE_ALPHA_KEY;
        options.keyColor = key;
        PictureReadOptions keyed = DefaultPictureReadOptions();
        keyed.alpha = PICTURE_ALPHA_KEY;
        keyed.keyColor = RGB(0xFF, 0x00, 0xFF);
        CDib read;
        ASSERT_EQ(Decode(Encoded(image, options), read, keyed), DIB_OK);
        // The bottom row's first pixel or two were changed, its last one was not.
        const std::vector<DWORD> before = Colors(image), after = Colors(read);
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(after[i], before[i] == before.back() ? RGB(0xFF, 0x00, 0xFF) : before[i]) << i;
        EXPECT_EQ(std::count(before.begin(), before.end(), before.back()), 14);
    }
}

// The chroma sampling of the frame header: 4:4:4 at quality 90 and above, 4:2:0
// below, or as asked.
int LumaSampling(const std::vector<BYTE>& jpeg)
{
    for (size_t i = 2; i + 11 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0)
            return jpeg[i + 11];  // components' first entry: id, then H << 4 | V
    return -1;
}

double Psnr(const CDib& a, const CDib& b)
{
    const std::vector<BYTE> x = ImageRgb(a), y = ImageRgb(b);
    double error = 0;
    for (size_t i = 0; i < x.size(); ++i)
        error += (x[i] - y[i]) * (x[i] - y[i]);
    return 10 * std::log10(255.0 * 255.0 * static_cast<double>(x.size()) / error);
}

TEST(PictureWrite, JpegQualityAndChromaSampling)
{
    TestImage original = Random(24);
    const struct {
        int quality;
        int sampling;
        int factors;
    } cases[] = {{90, 0, 0x11}, {89, 0, 0x22}, {100, 422, 0x21}, {100, 420, 0x22}, {50, 444, 0x11}};
    for (const auto& c : cases) {
        PictureWriteOptions options = DefaultPictureWriteOptions(PICTURE_FORMAT_JPEG);
        options.jpegQuality = c.quality;
        options.jpegSubsampling = c.sampling;
        const std::vector<BYTE> jpeg = Encoded(original, options);
        EXPECT_EQ(LumaSampling(jpeg), c.factors) << c.quality << " " << c.sampling;
    }
    // Random colours lose far less at 4:4:4.
    PictureWriteOptions full = DefaultPictureWriteOptions(PICTURE_FORMAT_JPEG), halved = full;
    full.jpegQuality = halved.jpegQuality = 100;
    halved.jpegSubsampling = 420;
    CDib fromFull, fromHalved;
    ASSERT_EQ(Decode(Encoded(original, full), fromFull), DIB_OK);
    ASSERT_EQ(Decode(Encoded(original, halved), fromHalved), DIB_OK);
    EXPECT_GT(Psnr(original, fromFull), 40);
    EXPECT_GT(Psnr(original, fromFull), Psnr(original, fromHalved) + 5);
}

// Any depth goes to JPEG through 24 bits; an indexed image of greys makes a grey JPEG.
TEST(PictureWrite, JpegFromEveryDepth)
{
    for (int bits : {1, 4, 8, 16, 24}) {
        SCOPED_TRACE(bits);
        CDib image;
        ASSERT_EQ(image.Create(17, 5, bits, RGB(255, 255, 255), DIB_FORMAT_555), DIB_OK);
        const std::vector<BYTE> jpeg = Encoded(image, DefaultPictureWriteOptions(PICTURE_FORMAT_JPEG));
        PictureInfo info{};
        ASSERT_EQ(ReadPictureInfo(jpeg.data(), jpeg.size(), info), DIB_OK);
        EXPECT_EQ(info.channels, bits == 1 ? 1 : 3);  // black and white only at 1 bit
        CDib read;
        ASSERT_EQ(Decode(jpeg, read), DIB_OK);
        EXPECT_EQ(PictureColor(read, 16, 4), PictureColor(image, 16, 4));  // a flat colour comes through whole
    }
}

TEST(PictureWrite, RefusalsWriteNothing)
{
    TestImage image = Random(24);
    const std::string gif = TempPath("picture.gif");
    EXPECT_EQ(WritePicture(image, gif.c_str()), DIB_ERR_FORMAT);
    EXPECT_NE(::access(gif.c_str(), F_OK), 0);
    CDib empty;
    const std::string png = TempPath("empty.png");
    EXPECT_EQ(WritePicture(empty, png.c_str()), DIB_ERR_EMPTY);
    EXPECT_NE(::access(png.c_str(), F_OK), 0);

    PictureWriteOptions options = DefaultPictureWriteOptions(PICTURE_FORMAT_JPEG);
    const struct {
        const char* what;
        void (*spoil)(PictureWriteOptions&);
        DWORD code;
    } cases[] = {
        {"format AUTO", [](PictureWriteOptions& o) { o.format = PICTURE_FORMAT_AUTO; }, DIB_ERR_FORMAT},
        {"quality 0", [](PictureWriteOptions& o) { o.jpegQuality = 0; }, DIB_ERR_BAD_ARGUMENT},
        {"quality 101", [](PictureWriteOptions& o) { o.jpegQuality = 101; }, DIB_ERR_BAD_ARGUMENT},
        {"sampling 411", [](PictureWriteOptions& o) { o.jpegSubsampling = 411; }, DIB_ERR_BAD_ARGUMENT},
        {"compression 10", [](PictureWriteOptions& o) { o.pngCompression = 10; }, DIB_ERR_BAD_ARGUMENT},
        {"alpha background", [](PictureWriteOptions& o) { o.alpha = PICTURE_ALPHA_BACKGROUND; }, DIB_ERR_BAD_ARGUMENT},
    };
    for (const auto& c : cases) {
        PictureWriteOptions spoilt = options;
        c.spoil(spoilt);
        CMemFile file;
        EXPECT_EQ(WritePicture(image, file, spoilt), c.code) << c.what;
        EXPECT_EQ(file.GetLength(), 0u) << c.what;
    }
    // 2-bit images have no form the JPEG writer reads; PNG takes them.
    TestImage twoBits(ImageSpec{5, 2, 2});
    CMemFile file;
    EXPECT_EQ(WritePicture(twoBits, file, options), DIB_ERR_BAD_DEPTH);
    EXPECT_EQ(file.GetLength(), 0u);
    EXPECT_EQ(WritePicture(twoBits, file, DefaultPictureWriteOptions(PICTURE_FORMAT_PNG)), DIB_OK);

    // A file that refuses the bytes.
    for (int format : {PICTURE_FORMAT_BMP, PICTURE_FORMAT_PNG, PICTURE_FORMAT_JPEG}) {
        FailingWriteFile failing(1);
        EXPECT_EQ(WritePicture(image, failing, DefaultPictureWriteOptions(format)), DIB_ERR_WRITE) << format;
    }
}

}  // namespace
