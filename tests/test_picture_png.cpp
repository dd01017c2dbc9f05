// SPDX-License-Identifier: MIT
// The PNG side of the picture reader: every colour type, bit depth, transparency
// and interlace against ImageMagick's decode of the same file, the alpha rules,
// and hostile files.
#include <velmoro/picture_io.h>
#include <velmoro/platform/file.h>

#include "support/made_pictures.h"
#include "support/test_files.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace velmoro_test;

namespace {

class PicturePng : public MadePicturesTest {};

struct PngCase {
    const char* name;
    int storedBits;    // channels x depth, as the headers say
    int channels;
    bool alpha;        // an alpha channel or tRNS
    int imageBits;     // what a read with the alpha dropped makes
    int entries;
};

const PngCase kCases[] = {
    {"png_grey1", 1, 1, false, 8, 2},
    {"png_grey2", 2, 1, false, 8, 4},
    {"png_grey4", 4, 1, false, 8, 16},
    {"png_grey8", 8, 1, false, 8, 256},
    {"png_grey16", 16, 1, false, 8, 256},
    {"png_grey2_interlaced", 2, 1, false, 8, 4},
    {"png_grey16_interlaced", 16, 1, false, 8, 256},
    {"png_grey2_trns", 2, 1, true, 8, 4},
    {"png_grey8_trns", 8, 1, true, 8, 256},
    {"png_grey16_trns", 16, 1, true, 8, 256},
    {"png_grey_alpha8", 16, 2, true, 8, 256},
    {"png_grey_alpha16", 32, 2, true, 8, 256},
    {"png_grey_alpha8_interlaced", 16, 2, true, 8, 256},
    {"png_rgb8", 24, 3, false, 24, 0},
    {"png_rgb16", 48, 3, false, 24, 0},
    {"png_rgb16_interlaced", 48, 3, false, 24, 0},
    {"png_rgb8_trns", 24, 3, true, 24, 0},
    {"png_rgb16_trns", 48, 3, true, 24, 0},
    {"png_rgba8", 32, 4, true, 24, 0},
    {"png_rgba16", 64, 4, true, 24, 0},
    {"png_rgba8_interlaced", 32, 4, true, 24, 0},
    {"png_palette1", 1, 1, false, 8, 2},
    {"png_palette2", 2, 1, false, 8, 3},
    {"png_palette4", 4, 1, false, 8, 11},
    {"png_palette8", 8, 1, false, 8, 200},
    {"png_palette8_trns", 8, 1, true, 8, 200},
    {"png_palette4_trns_interlaced", 4, 1, true, 8, 11},
};

// Alpha dropped, the colours kept: ImageMagick's colours exactly, in the
// form the headers promise.
TEST_F(PicturePng, EveryColourTypeDepthAndInterlaceGivesImageMagicksColours)
{
    for (const PngCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string file = std::string(c.name) + ".png";
        PictureInfo info{};
        ASSERT_EQ(ReadPictureInfo(pictures.Path(file).c_str(), info), DIB_OK);
        EXPECT_EQ(info.format, PICTURE_FORMAT_PNG);
        EXPECT_EQ(info.width, 19);
        EXPECT_EQ(info.height, 13);
        EXPECT_EQ(info.bitCount, c.storedBits);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(info.hasAlpha, c.alpha);
        EXPECT_EQ(info.imageBitCount, c.imageBits);
        EXPECT_EQ(info.imageColorEntries, c.entries);

        CDib image;
        ASSERT_EQ(LoadPicture(image, pictures.Path(file).c_str()), DIB_OK);
        EXPECT_EQ(image.GetBitCount(), c.imageBits);
        EXPECT_EQ(image.GetCompression(), static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(image.GetBitCount() == 8 ? image.GetNumColorEntry() : 0, c.entries);
        EXPECT_EQ(ImageRgb(image), WithoutAlpha(pictures.Rgba(file)));
    }
}

// Below half alpha is the key colour, the rest keeps its colour; over a
// background, ImageMagick's composite within rounding. Transparency of a
// palette entry or grey level settles the table, so those stay 8 bits.
TEST_F(PicturePng, AlphaBecomesTheKeyColourOrIsCompositedOverTheBackground)
{
    const COLORREF key = RGB(0xFF, 0x00, 0xFF);
    for (const PngCase& c : kCases) {
        if (!c.alpha)
            continue;
        SCOPED_TRACE(c.name);
        const std::string file = std::string(c.name) + ".png";
        const bool tableStays = c.imageBits == 8 && c.channels == 1 && std::string(c.name) != "png_grey16_trns";

        PictureReadOptions options = DefaultPictureReadOptions();
        options.alpha = PICTURE_ALPHA_KEY;
        options.keyColor = key;
        CDib image;
        ASSERT_EQ(LoadPicture(image, pictures.Path(file).c_str(), options), DIB_OK);
        EXPECT_EQ(image.GetBitCount(), tableStays ? 8 : 24);
        EXPECT_EQ(ImageRgb(image), Keyed(pictures.Rgba(file), key));

        options.alpha = PICTURE_ALPHA_BACKGROUND;
        options.background = MadePictures::kBackground;
        ASSERT_EQ(LoadPicture(image, pictures.Path(file).c_str(), options), DIB_OK);
        EXPECT_EQ(image.GetBitCount(), tableStays ? 8 : 24);
        EXPECT_LE(WorstDifference(ImageRgb(image), pictures.RgbOverBackground(file)), 1);
    }
}

// The file forms read from the present position and close only on success.
TEST_F(PicturePng, FileFormsReadFromThePresentPosition)
{
    std::vector<BYTE> bytes(100, 0xEE);
    const std::vector<BYTE> png = ReadWholeFile(pictures.Path("png_rgba8_interlaced.png"));
    bytes.insert(bytes.end(), png.begin(), png.end());
    BytesFile file(bytes);
    file.Seek(100, CFile::begin);
    CDib fromFile, fromPath;
    ASSERT_EQ(LoadPicture(fromFile, file, 1), DIB_OK);
    EXPECT_EQ(file.closeCount, 1);
    ASSERT_EQ(LoadPicture(fromPath, pictures.Path("png_rgba8_interlaced.png").c_str()), DIB_OK);
    EXPECT_EQ(ImageSnapshot(fromFile).bits, ImageSnapshot(fromPath).bits);

    ShortReadFile cut(png, png.size() - 20);
    TestImage image(ImageSpec{3, 2, 24}, 7);
    const ImageSnapshot before(image);
    EXPECT_EQ(LoadPicture(image, cut, 1), DIB_ERR_FILE_IO);
    EXPECT_EQ(cut.closeCount, 0);
    EXPECT_TRUE(before.Matches(image));
}

// Every cut, and every changed byte of the header or the pixel data, is
// refused with a code and changes nothing.
TEST_F(PicturePng, DamagedFilesAreRefusedAndChangeNothing)
{
    const std::vector<BYTE> good = ReadWholeFile(pictures.Path("png_rgb8.png"));
    ASSERT_GT(good.size(), 100u);
    TestImage image(ImageSpec{3, 2, 24}, 7);
    const ImageSnapshot before(image);
    const PictureReadOptions options = DefaultPictureReadOptions();
    for (size_t length = 0; length < good.size(); ++length) {
        const DWORD code = LoadPicture(image, good.data(), length, options);
        ASSERT_NE(code, DIB_OK) << "cut at " << length;
        EXPECT_EQ(code, length < 8 ? DIB_ERR_FORMAT : DIB_ERR_FILE_IO) << "cut at " << length;
    }
    // IHDR, its checksum, and the first IDAT chunk's data and checksum.
    for (size_t at = 8; at < 120; ++at) {
        std::vector<BYTE> changed = good;
        changed[at] ^= 0x41;
        EXPECT_NE(LoadPicture(image, changed.data(), changed.size(), options), DIB_OK) << "byte " << at;
    }
    EXPECT_TRUE(before.Matches(image));
}

TEST_F(PicturePng, HostileFilesAreRefusedOrReadWithinBounds)
{
    TestImage image(ImageSpec{3, 2, 24}, 7);
    const ImageSnapshot before(image);
    // A header claiming 30000 x 30000 pixels over a few hundred bytes of data:
    // refused before the 2.7 GB picture is allocated.
    EXPECT_EQ(LoadPicture(image, pictures.Path("hostile_claims_huge.png").c_str()), DIB_ERR_FILE_IO);
    EXPECT_TRUE(before.Matches(image));
    PictureInfo info{};
    ASSERT_EQ(ReadPictureInfo(pictures.Path("hostile_claims_huge.png").c_str(), info), DIB_OK);
    EXPECT_EQ(info.width, 30000);

    // A 64 MiB compressed comment is skipped, never inflated; data running on
    // past the last row is ignored.
    CDib good, bomb, runsOn;
    ASSERT_EQ(LoadPicture(good, pictures.Path("png_rgb8.png").c_str()), DIB_OK);
    ASSERT_EQ(LoadPicture(bomb, pictures.Path("hostile_text_bomb.png").c_str()), DIB_OK);
    ASSERT_EQ(LoadPicture(runsOn, pictures.Path("hostile_data_past_rows.png").c_str()), DIB_OK);
    EXPECT_EQ(ImageSnapshot(bomb).bits, ImageSnapshot(good).bits);
    EXPECT_EQ(ImageSnapshot(runsOn).bits, ImageSnapshot(good).bits);
}

}  // namespace
