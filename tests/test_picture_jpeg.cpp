// SPDX-License-Identifier: MIT
// The JPEG side of the picture reader: files libjpeg decodes whole (also after a
// warning that loses no data) give djpeg's picture; lost data is refused.
#include <velmoro/jpeg.h>
#include <velmoro/picture_io.h>

#include "support/made_pictures.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <string>

using namespace velmoro_test;

namespace {

class PictureJpeg : public MadePicturesTest {};

TEST_F(PictureJpeg, WholePicturesGiveDjpegsPixelsAlsoAfterHarmlessWarnings)
{
    for (const char* name : {"jpeg_baseline", "jpeg_progressive", "jpeg_grey", "jpeg_jfif2", "jpeg_stray_bytes",
                             "jpeg_adobe_unknown"}) {
        SCOPED_TRACE(name);
        const std::string path = pictures.Path(std::string(name) + ".jpg");
        int width = 0, height = 0;
        const std::vector<BYTE> expected = ReadPpm(path + ".ppm", &width, &height);
        ASSERT_FALSE(expected.empty());
        CDib picture;
        ASSERT_EQ(LoadPicture(picture, path.c_str()), DIB_OK);
        EXPECT_EQ(picture.GetBitCount(), 24);
        EXPECT_EQ(picture.GetWidth(), width);
        EXPECT_EQ(picture.GetHeight(), height);
        EXPECT_EQ(ImageRgb(picture), expected);
        // The codec itself lets the same warnings through.
        CJPeg codec;
        ASSERT_TRUE(codec.InitJPEGLibrary(NULL));
        CDib direct;
        ASSERT_EQ(direct.LoadJPEG(codec, path.c_str()), DIB_OK);
        EXPECT_EQ(ImageRgb(direct), expected);
    }
}

// A stream cut short, and damaged entropy-coded data that libjpeg only warns
// about (here: a scan that ends before its data does), never pass for a picture.
TEST_F(PictureJpeg, LostDataIsRefusedAndChangesNothing)
{
    for (const char* name : {"jpeg_truncated", "jpeg_corrupt"}) {
        SCOPED_TRACE(name);
        const std::string path = pictures.Path(std::string(name) + ".jpg");
        TestImage image(ImageSpec{3, 2, 24}, 7);
        const ImageSnapshot before(image);
        EXPECT_EQ(LoadPicture(image, path.c_str()), DIB_ERR_FILE_IO);
        CJPeg codec;
        ASSERT_TRUE(codec.InitJPEGLibrary(NULL));
        EXPECT_EQ(image.LoadJPEG(codec, path.c_str()), DIB_ERR_FILE_IO);
        EXPECT_TRUE(before.Matches(image));
    }
}

// Only the headers are read: a file cut short in its pixels still describes itself.
TEST_F(PictureJpeg, InfoReadsTheHeadersOnly)
{
    const struct {
        const char* name;
        int channels;
    } cases[] = {{"jpeg_baseline", 3}, {"jpeg_grey", 1}, {"jpeg_truncated", 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PictureInfo info{};
        ASSERT_EQ(ReadPictureInfo(pictures.Path(std::string(c.name) + ".jpg").c_str(), info), DIB_OK);
        EXPECT_EQ(info.format, PICTURE_FORMAT_JPEG);
        EXPECT_EQ(info.width, 76);
        EXPECT_EQ(info.height, 52);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(info.bitCount, 8 * c.channels);
        EXPECT_EQ(info.imageBitCount, 24);
        EXPECT_EQ(info.hasAlpha, 0);
    }
}

}  // namespace
