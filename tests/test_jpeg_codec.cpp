// SPDX-License-Identifier: MIT
// The project's codec module on its own: the DIB fields it honours, its write
// modes, and the entry points' argument checks.
#include <velmoro/jpeg.h>

#include "support/jpeg_samples.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace velmoro_test;

namespace {

class JpegCodec : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(codec.InitJPEGLibrary(NULL), 1);
        ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
    }

    JPEG_CORE_PROPERTIES& Record() { return *codec.JpgGetProperties(); }

    CJPeg codec;
};

// 22 pixels wide: 66-byte rows, two pad bytes. Red is strong in the top half only.
const TestImage& Picture()
{
    static const TestImage picture = BgrPicture(22, 16, [](int x, int y) {
        return Bgr{BYTE(x * 11), BYTE(y * 15), BYTE(y < 8 ? 250 : 10)};
    });
    return picture;
}

TEST_F(JpegCodec, DecodesIntoEitherRowOrderAndChannelOrderWithZeroPads)
{
    std::vector<BYTE> jpeg = EncodeThroughCodec(codec, Picture(), 90);
    ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
    ASSERT_EQ(codec.JpegStreamReadHeader(jpeg.data(), static_cast<DWORD>(jpeg.size())), IJL_OK);
    EXPECT_EQ(codec.JpgGetImageWidth(), 22u);
    EXPECT_EQ(codec.JpgGetImageHeight(), 16u);

    const size_t stride = 68;
    std::vector<BYTE> bottomUp(stride * 16, 0xAA), topDown(stride * 16, 0xAA), rgb(stride * 16, 0xAA);
    ASSERT_EQ(codec.JpegStreamConvertToDib(bottomUp.data()), IJL_OK);
    Record().DIBBytes = topDown.data();
    Record().DIBHeight = 16;
    ASSERT_EQ(codec.JpgStreamReadImage(), IJL_OK);
    Record().DIBBytes = rgb.data();
    Record().DIBColor = IJL_RGB;
    ASSERT_EQ(codec.JpgStreamReadImage(), IJL_OK);

    for (size_t row = 0; row < 16; ++row) {
        const BYTE* up = &bottomUp[stride * (15 - row)];
        const BYTE* down = &topDown[stride * row];
        const BYTE* swapped = &rgb[stride * row];
        ASSERT_TRUE(std::equal(up, up + stride, down)) << "row " << row;
        EXPECT_EQ(up[66], 0);
        EXPECT_EQ(up[67], 0);
        for (size_t x = 0; x < 22; ++x) {
            ASSERT_EQ(swapped[3 * x], down[3 * x + 2]);
            ASSERT_EQ(swapped[3 * x + 2], down[3 * x]);
        }
    }
    // Red is strong in the top half of the picture, which is the end of a bottom-up buffer.
    EXPECT_GT(bottomUp[stride * 15 + 2], 200);
    EXPECT_LT(bottomUp[2], 60);
}

TEST_F(JpegCodec, RefusesDibFieldsItCannotServe)
{
    std::vector<BYTE> jpeg = EncodeThroughCodec(codec, Picture());
    ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
    std::vector<BYTE> buffer(68 * 16, 0xAA);
    const std::vector<BYTE> untouched = buffer;
    const auto decodeWith = [&](auto change) {
        codec.JpegStreamReadHeader(jpeg.data(), static_cast<DWORD>(jpeg.size()));
        codec.JpgSetDefaultDibConversionInfo(buffer.data());
        change(Record());
        return codec.JpgStreamReadImage();
    };
    EXPECT_EQ(decodeWith([](JPEG_CORE_PROPERTIES& r) { r.DIBWidth = 21; }), IJL_ERR_BAD_DIB);
    EXPECT_EQ(decodeWith([](JPEG_CORE_PROPERTIES& r) { r.DIBHeight = -17; }), IJL_ERR_BAD_DIB);
    EXPECT_EQ(decodeWith([](JPEG_CORE_PROPERTIES& r) { r.DIBChannels = 4; }), IJL_ERR_BAD_DIB);
    EXPECT_EQ(decodeWith([](JPEG_CORE_PROPERTIES& r) { r.DIBColor = IJL_G; }), IJL_ERR_BAD_DIB);
    EXPECT_EQ(decodeWith([](JPEG_CORE_PROPERTIES& r) { r.DIBBytes = nullptr; }), IJL_ERR_NULL_POINTER);
    EXPECT_EQ(buffer, untouched);
}

TEST_F(JpegCodec, BufferWriteReportsItsSizeAndNeverPassesTheCapacity)
{
    const std::vector<BYTE> jpeg = EncodeThroughCodec(codec, Picture());
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);

    for (size_t capacity : {jpeg.size(), jpeg.size() - 1, size_t{1}, size_t{0}}) {
        SCOPED_TRACE(capacity);
        ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
        SetDibSource(Record(), Picture());
        std::vector<BYTE> out(capacity + 16, 0xEE);
        codec.JpgSetJPegStreamInfo(out.data(), static_cast<DWORD>(capacity));
        const bool fits = capacity == jpeg.size();
        EXPECT_EQ(codec.JpgBufferWriteImage(), fits ? IJL_OK : IJL_ERR_BUFFER_FULL);
        EXPECT_EQ(std::count(out.begin() + static_cast<long>(capacity), out.end(), 0xEE), 16);
        if (fits) {
            EXPECT_EQ(Record().JPGSizeBytes, jpeg.size());
            EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), out.begin()));
        }
    }
}

TEST_F(JpegCodec, QualityComesFromTheRecordAndDefaultsToSeventyFive)
{
    EXPECT_EQ(Record().JPGQuality, 75u);  // set by ijlInit
    const TestImage noise(ImageSpec{64, 64, 24}, 3);
    EXPECT_EQ(EncodeThroughCodec(codec, noise), EncodeThroughCodec(codec, noise, 75));
    EXPECT_LT(EncodeThroughCodec(codec, noise, 20).size(), EncodeThroughCodec(codec, noise, 95).size());
    for (DWORD quality : {0u, 101u}) {
        ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
        SetDibSource(Record(), noise);
        Record().JPGQuality = quality;
        std::vector<BYTE> out(1 << 16);
        codec.JpgSetJPegStreamInfo(out.data(), static_cast<DWORD>(out.size()));
        EXPECT_EQ(codec.JpgBufferWriteImage(), IJL_ERR_BAD_ARGUMENT);
    }
}

TEST_F(JpegCodec, FileModesWriteAndReadTheNamedFile)
{
    const std::string path = ::testing::TempDir() + "codec_file_mode.jpg";
    SetDibSource(Record(), Picture());
    codec.JpgSetJPegFilePath(path.c_str());
    ASSERT_EQ(codec.JpgFileWriteImage(), IJL_OK);
    EXPECT_EQ(Record().JPGWidth, 22u);
    EXPECT_EQ(ReadWholeFile(path), EncodeThroughCodec(codec, Picture()));

    ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
    ASSERT_EQ(codec.JpegFileReadHeader(path.c_str()), IJL_OK);
    EXPECT_EQ(Record().JPGHeight, 16u);
    std::vector<BYTE> pixels(68 * 16);
    EXPECT_EQ(codec.JpegFileConvertToDib(pixels.data()), IJL_OK);

    EXPECT_EQ(codec.JpegFileReadHeader("/no/such/folder/x.jpg"), IJL_ERR_FILE_OPEN);
    ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
    SetDibSource(Record(), Picture());
    codec.JpgSetJPegFilePath("/no/such/folder/x.jpg");
    EXPECT_EQ(codec.JpgFileWriteImage(), IJL_ERR_FILE_OPEN);

    // A picture too large for the format is refused before the file is opened:
    // a file already there keeps its bytes.
    codec.JpgSetJPegFilePath(path.c_str());
    const std::vector<BYTE> before = ReadWholeFile(path);
    ASSERT_FALSE(before.empty());
    std::vector<BYTE> oversized(4 * 65504);  // either one 65501-pixel row or 65501 one-pixel rows
    const std::pair<long, long> tooLarge[] = {{65501, 1}, {1, -65501}};
    for (auto [width, height] : tooLarge) {
        Record().DIBBytes = oversized.data();
        Record().DIBWidth = width;
        Record().DIBHeight = height;
        Record().DIBPadBytes = 1;  // both row sizes round up by one byte
        EXPECT_EQ(codec.JpgFileWriteImage(), IJL_ERR_BAD_DIB);
        EXPECT_EQ(ReadWholeFile(path), before);
    }
    SetDibSource(Record(), Picture());

    // A failed write removes a file it made, but never a device.
    struct stat device {};
    if (stat("/dev/full", &device) == 0) {
        codec.JpgSetJPegFilePath("/dev/full");
        EXPECT_EQ(codec.JpgFileWriteImage(), IJL_ERR_FILE_WRITE);
        EXPECT_EQ(access("/dev/full", F_OK), 0);
    }
}

TEST(JpegCodecEntryPoints, RefuseNullRecordsAndTheOtherDirectionsModes)
{
    HMODULE module = LoadLibraryA(VELMORO_JPEG_CODEC);
    ASSERT_NE(module, nullptr);
    auto read = reinterpret_cast<IJL_READ_PROC>(GetProcAddress(module, "ijlRead"));
    auto write = reinterpret_cast<IJL_WRITE_PROC>(GetProcAddress(module, "ijlWrite"));
    auto init = reinterpret_cast<IJL_INIT_PROC>(GetProcAddress(module, "ijlInit"));
    auto release = reinterpret_cast<IJL_FREE_PROC>(GetProcAddress(module, "ijlFree"));
    JPEG_CORE_PROPERTIES record{};
    EXPECT_EQ(init(nullptr), IJL_ERR_NULL_POINTER);
    EXPECT_EQ(release(nullptr), IJL_OK);
    EXPECT_EQ(read(nullptr, IJL_JBUFF_READPARAMS), IJL_ERR_NULL_POINTER);
    EXPECT_EQ(write(nullptr, IJL_JBUFF_WRITEWHOLEIMAGE), IJL_ERR_NULL_POINTER);
    EXPECT_EQ(read(&record, IJL_JBUFF_WRITEWHOLEIMAGE), IJL_ERR_BAD_ARGUMENT);
    EXPECT_EQ(write(&record, IJL_JBUFF_READWHOLEIMAGE), IJL_ERR_BAD_ARGUMENT);
    EXPECT_EQ(read(&record, IJL_JBUFF_READPARAMS), IJL_ERR_NULL_POINTER);  // no stream
    FreeLibrary(module);
}

}  // namespace
