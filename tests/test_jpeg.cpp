// SPDX-License-Identifier: MIT
// CJPeg and CDib::LoadJPEG: module loading, the record's life cycle, result
// codes, and pictures decoded from made and real JPEG files.
#include <velmoro/dib.h>
#include <velmoro/jpeg.h>
#include <velmoro/platform/file.h>

#include "codec_stub/recording_codec.h"
#include "support/jpeg_samples.h"
#include "support/md5.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

using namespace velmoro_test;

namespace {

constexpr Bgr kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0}, kWhite{255, 255, 255};

// Flat quadrants, split at multiples of 16 so that 4:2:0 chroma keeps them apart.
TestImage Quadrants(int width, int height)
{
    const int splitX = width / 32 * 16, splitY = height / 32 * 16;
    return BgrPicture(width, height, [=](int x, int y) {
        if (y < splitY)
            return x < splitX ? kRed : kGreen;
        return x < splitX ? kBlue : kWhite;
    });
}

std::vector<BYTE> PixelBlock(const CDib& image)
{
    const size_t stride = (3 * static_cast<size_t>(image.GetWidth()) + 3) & ~size_t{3};
    return std::vector<BYTE>(image.GetBmpBitsAddress(), image.GetBmpBitsAddress() + stride * image.GetHeight());
}

size_t FindMarker(const std::vector<BYTE>& jpeg, BYTE marker)
{
    for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker)
            return i;
    }
    return jpeg.size();
}

std::string WriteTempFile(const std::string& name, const std::vector<BYTE>& bytes)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

class JpegLoad : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(codec.InitJPEGLibrary(NULL), 1); }
    CJPeg codec;
};

// A CJPeg over the recording stand-in codec, its state reset.
class JpegScripted : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(codec.InitJPEGLibrary(VELMORO_RECORDING_CODEC), 1);
        HMODULE module = LoadLibraryA(VELMORO_RECORDING_CODEC);  // a second reference to the same module
        ASSERT_NE(module, nullptr);
        auto stateOf = reinterpret_cast<RecordingCodecStateProc>(GetProcAddress(module, RECORDING_CODEC_STATE_NAME));
        state = stateOf(1);
        FreeLibrary(module);
        state->width = 10;
        state->height = 4;
        state->channels = 3;
    }
    CJPeg codec;
    RecordingCodecState* state = nullptr;
    BYTE stream[4] = {0xFF, 0xD8, 0xFF, 0xD9};
};

TEST(JpegBinding, LoadsOnlyModulesWithAllFourEntryPoints)
{
    CJPeg codec;
    EXPECT_EQ(codec.IsCodecLoaded(), 0);
    EXPECT_EQ(codec.InitJPEGLibrary(NULL), 1);  // the project's module, found beside the library
    EXPECT_EQ(codec.IsCodecLoaded(), 1);
    EXPECT_EQ(codec.JpgInitConversion(), IJL_OK);

    // A new load releases the old codec and its record, whether or not it succeeds.
    EXPECT_EQ(codec.InitJPEGLibrary(VELMORO_THREE_ENTRY_CODEC), 0);
    EXPECT_EQ(codec.IsCodecLoaded(), 0);
    EXPECT_EQ(codec.JpgGetProperties(), nullptr);
    EXPECT_EQ(codec.InitJPEGLibrary("/no/such/codec.so"), 0);
    EXPECT_EQ(codec.IsCodecLoaded(), 0);
    EXPECT_EQ(codec.InitJPEGLibrary(VELMORO_RECORDING_CODEC), 1);
}

TEST(JpegBinding, WithoutCodecOrRecordNothingIsCalled)
{
    CJPeg codec;
    EXPECT_EQ(codec.JpgInitConversion(), IJL_ERR_NO_CODEC);
    EXPECT_EQ(codec.JpgFileReadHeader(), IJL_ERR_NO_CODEC);
    EXPECT_EQ(codec.JpgEndConversion(), IJL_ERR_NO_CODEC);
    ASSERT_EQ(codec.InitJPEGLibrary(NULL), 1);
    BYTE buffer[4] = {};
    EXPECT_EQ(codec.JpegStreamConvertToDib(buffer), IJL_ERR_NO_CODEC);  // no record yet
    EXPECT_EQ(codec.JpgGetImageWidth(), 0u);
    EXPECT_EQ(codec.JpgGetProperties(), nullptr);
}

TEST_F(JpegScripted, OperationsPassModesPointersAndResultsThrough)
{
    state->initResult = -77;
    EXPECT_EQ(codec.JpgInitConversion(), -77);
    ASSERT_NE(codec.JpgGetProperties(), nullptr);
    EXPECT_EQ(state->lastRecord, codec.JpgGetProperties());

    const char* path = "picture.jpg";
    state->headerResult = -31;
    EXPECT_EQ(codec.JpegFileReadHeader(path), -31);
    EXPECT_EQ(codec.JpgGetProperties()->JPGFile, path);  // the pointer, not a copy
    EXPECT_EQ(state->lastMode, IJL_JFILE_READPARAMS);
    EXPECT_EQ(codec.JpegStreamReadHeader(stream, 4), -31);
    EXPECT_EQ(codec.JpgGetProperties()->JPGBytes, stream);
    EXPECT_EQ(codec.JpgGetProperties()->JPGSizeBytes, 4u);
    EXPECT_EQ(state->lastMode, IJL_JBUFF_READPARAMS);

    const std::pair<IJLERR (CJPeg::*)(), IJLIOTYPE> operations[] = {
        {&CJPeg::JpgFileReadHeader, IJL_JFILE_READPARAMS},      {&CJPeg::JpgStreamReadHeader, IJL_JBUFF_READPARAMS},
        {&CJPeg::JpgFileReadImage, IJL_JFILE_READWHOLEIMAGE},   {&CJPeg::JpgStreamReadImage, IJL_JBUFF_READWHOLEIMAGE},
        {&CJPeg::JpgFileWriteImage, IJL_JFILE_WRITEWHOLEIMAGE}, {&CJPeg::JpgBufferWriteImage, IJL_JBUFF_WRITEWHOLEIMAGE}};
    state->headerResult = state->imageResult = state->writeResult = -12;
    for (const auto& operation : operations) {
        EXPECT_EQ((codec.*operation.first)(), -12);
        EXPECT_EQ(state->lastMode, operation.second);
    }
    EXPECT_EQ(codec.JpgEndConversion(), IJL_OK);
    EXPECT_EQ(state->freeCalls, 1);
    EXPECT_EQ(codec.JpgGetProperties(), nullptr);
}

TEST_F(JpegScripted, EndThenInitHandsTheCodecAFreshZeroRecord)
{
    ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
    EXPECT_TRUE(state->initSawZeroRecord);
    codec.JpegStreamReadHeader(stream, 4);
    codec.JpgSetDefaultDibConversionInfo(stream);
    codec.JpgEndConversion();
    ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
    EXPECT_TRUE(state->initSawZeroRecord);
    EXPECT_EQ(state->initCalls, 2);
}

TEST_F(JpegScripted, DefaultDibConversionAsksForPaddedBottomUpBgr)
{
    ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
    const JPEG_CORE_PROPERTIES& record = *codec.JpgGetProperties();
    const std::pair<DWORD, DWORD> padForWidth[] = {{641, 1}, {4, 0}, {10, 2}, {1, 1}, {2, 2}, {3, 3}};
    for (const auto& [width, pad] : padForWidth) {
        state->width = width;
        ASSERT_EQ(codec.JpegStreamReadHeader(stream, 4), IJL_OK);
        codec.JpgSetDefaultDibConversionInfo(stream);
        EXPECT_EQ(record.DIBPadBytes, pad) << "width " << width;
        EXPECT_EQ(record.DIBWidth, width);
    }
    const std::pair<DWORD, IJL_COLOR> colourForChannels[] = {{1, IJL_G}, {3, IJL_YCBCR}, {4, IJL_OTHER}, {2, IJL_OTHER}};
    for (const auto& [channels, jpegColor] : colourForChannels) {
        state->channels = channels;
        ASSERT_EQ(codec.JpegStreamReadHeader(stream, 4), IJL_OK);
        codec.JpgSetDefaultDibConversionInfo(stream);
        EXPECT_EQ(record.JPGColor, jpegColor) << channels << " channels";
        EXPECT_EQ(record.DIBColor, jpegColor == IJL_OTHER ? IJL_OTHER : IJL_BGR);
        EXPECT_EQ(record.DIBChannels, 3u);
        EXPECT_EQ(record.DIBHeight, -4);
        EXPECT_EQ(record.DIBBytes, stream);
    }
}

TEST_F(JpegScripted, EveryFailureReleasesTheRecordAndKeepsTheImage)
{
    struct Case {
        const char* what;
        IJLERR init, header, image;
        DWORD width, height;
        DWORD expected;
    };
    const Case cases[] = {
        {"init fails", -3, 0, 0, 10, 4, DIB_ERR_JPEG},
        {"header fails", 0, -1, 0, 10, 4, DIB_ERR_FILE_IO},
        {"decode fails", 0, 0, -1, 10, 4, DIB_ERR_FILE_IO},
        {"no picture in the header", 0, 0, 0, 0, 4, DIB_ERR_FILE_IO},
        {"pixel block over 32 bits", 0, 0, 0, 0xFFFFFFFFu, 2, DIB_ERR_NO_MEMORY},
        {"rows over 32 bits", 0, 0, 0, 70000, 70000, DIB_ERR_NO_MEMORY},
        {"a block size that wraps to 0", 0, 0, 0, 2863311530u, 2147483648u, DIB_ERR_NO_MEMORY},  // 2^33 x 2^31
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        *state = RecordingCodecState{};
        state->initResult = c.init;
        state->headerResult = c.header;
        state->imageResult = c.image;
        state->width = c.width;
        state->height = c.height;
        TestImage image(ImageSpec{3, 3, 8});
        const ImageSnapshot before(image);
        BytesFile file({stream, stream + 4});
        EXPECT_EQ(image.LoadJPEG(codec, file, 1), c.expected);
        EXPECT_TRUE(before.Matches(image));
        EXPECT_EQ(codec.JpgGetProperties(), nullptr);
        EXPECT_EQ(state->freeCalls, 1);
        EXPECT_EQ(file.closeCount, 0);
        EXPECT_EQ(image.LoadJPEG(codec, "x.jpg"), c.expected);
        EXPECT_TRUE(before.Matches(image));
        EXPECT_EQ(state->freeCalls, 2);
    }
}

TEST_F(JpegScripted, ARecordTheCallerMadeIsReplacedAndNoneIsLeft)
{
    ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
    CDib image;
    EXPECT_EQ(image.LoadJPEG(codec, "x.jpg"), DIB_OK);
    EXPECT_EQ(state->initCalls, 2);
    EXPECT_EQ(state->freeCalls, 1);  // the caller's record is deleted without ijlFree
    EXPECT_EQ(codec.JpgGetProperties(), nullptr);
    EXPECT_EQ(state->lastMode, IJL_JFILE_READWHOLEIMAGE);
    EXPECT_EQ(image.GetWidth(), 10);
    EXPECT_EQ(image.GetBmpBitsAddress()[127], 0x5A);
}

TEST_F(JpegLoad, TenByFourGivesAFortyByteHeaderAnd128PixelBytes)
{
    const std::vector<BYTE> jpeg = EncodeThroughCodec(codec, Quadrants(10, 4));
    CDib image;
    BytesFile file(jpeg);
    ASSERT_EQ(image.LoadJPEG(codec, file, 0), DIB_OK);
    BITMAPINFOHEADER expected{};
    expected.biSize = 40;
    expected.biWidth = 10;
    expected.biHeight = 4;
    expected.biPlanes = 1;
    expected.biBitCount = 24;
    EXPECT_EQ(std::memcmp(image.GetBmpInfoAddress(), &expected, 40), 0);
    EXPECT_EQ(image.GetNumColorEntry(), 0);
    CMemFile bmp;
    ASSERT_EQ(image.WriteBmp(bmp, 0), DIB_OK);
    EXPECT_EQ(bmp.GetLength(), 14u + 40 + 128);
}

TEST_F(JpegLoad, ColoursRowOrderAndZeroPadsSurviveARoundTrip)
{
    for (int width : {641, 4, 10, 33}) {
        SCOPED_TRACE(width);
        const TestImage source = Quadrants(width, 48);
        const std::vector<BYTE> jpeg = EncodeThroughCodec(codec, source, 95);
        CDib fromFile, fromPath;
        BytesFile file(jpeg);
        ASSERT_EQ(fromFile.LoadJPEG(codec, file, 0), DIB_OK);
        ASSERT_EQ(fromPath.LoadJPEG(codec, WriteTempFile("round_trip.jpg", jpeg).c_str()), DIB_OK);
        EXPECT_EQ(PixelBlock(fromFile), PixelBlock(fromPath));
        for (const auto& [x, y] : {std::pair{0, 0}, {width - 1, 0}, {0, 47}, {width - 1, 47}})
            EXPECT_TRUE(NearColour(PixelAt(fromFile, x, y), PixelAt(source, x, y), 8)) << x << "," << y;
        const int stride = (3 * width + 3) & ~3;
        for (int row = 0; row < 48; ++row) {
            for (int pad = 3 * width; pad < stride; ++pad)
                ASSERT_EQ(fromFile.GetBmpBitsAddress()[row * stride + pad], 0) << "row " << row;
        }
    }
}

TEST_F(JpegLoad, GreyJpegBecomesA24BitGreyImage)
{
    const TestImage source = BgrPicture(24, 16, [](int x, int) { return Bgr{BYTE(x * 10), BYTE(x * 10), BYTE(x * 10)}; });
    std::vector<BYTE> jpeg = EncodeThroughCodec(codec, source, 100, IJL_G);
    ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
    ASSERT_EQ(codec.JpegStreamReadHeader(jpeg.data(), static_cast<DWORD>(jpeg.size())), IJL_OK);
    EXPECT_EQ(codec.JpgGetProperties()->JPGChannels, 1u);

    CDib image;
    BytesFile file(jpeg);
    ASSERT_EQ(image.LoadJPEG(codec, file, 0), DIB_OK);
    ASSERT_EQ(image.GetBitCount(), 24);
    for (int x = 0; x < 24; ++x) {
        const Bgr pixel = PixelAt(image, x, 5);
        EXPECT_EQ(pixel.b, pixel.g);
        EXPECT_EQ(pixel.g, pixel.r);
        EXPECT_NEAR(pixel.g, x * 10, 3);
    }
}

TEST_F(JpegLoad, FourChannelJpegsBecomeTheirBgrColours)
{
    // Six 16 x 16 patches: C, M, Y, K inks and the colour they print.
    struct Patch {
        BYTE ink[4];
        Bgr colour;
    };
    const Patch patches[6] = {{{0, 255, 255, 0}, kRed},        {{255, 0, 255, 0}, kGreen},
                              {{0, 0, 0, 0}, kWhite},          {{0, 0, 0, 255}, Bgr{0, 0, 0}},
                              {{0, 0, 0, 128}, Bgr{127, 127, 127}}, {{64, 128, 192, 32}, Bgr{55, 111, 167}}};
    std::vector<BYTE> inks(48 * 32 * 4);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 48; ++x)
            std::copy_n(patches[y / 16 * 3 + x / 16].ink, 4, &inks[(y * 48 + x) * 4]);
    }
    for (FourChannelKind kind : {FourChannelKind::PlainCmyk, FourChannelKind::AdobeCmyk, FourChannelKind::AdobeYcck}) {
        SCOPED_TRACE(static_cast<int>(kind));
        std::vector<BYTE> jpeg = EncodeFourChannelJpeg(48, 32, inks, kind);
        ASSERT_EQ(codec.JpgInitConversion(), IJL_OK);
        ASSERT_EQ(codec.JpegStreamReadHeader(jpeg.data(), static_cast<DWORD>(jpeg.size())), IJL_OK);
        EXPECT_EQ(codec.JpgGetProperties()->JPGChannels, 4u);
        codec.JpgSetDefaultDibConversionInfo(nullptr);
        EXPECT_EQ(codec.JpgGetProperties()->DIBChannels, 3u);
        EXPECT_EQ(codec.JpgGetProperties()->DIBColor, IJL_OTHER);
        EXPECT_EQ(codec.JpgGetProperties()->JPGColor, IJL_OTHER);

        CDib image;
        BytesFile file(jpeg);
        ASSERT_EQ(image.LoadJPEG(codec, file, 0), DIB_OK);
        for (int p = 0; p < 6; ++p) {
            const Bgr pixel = PixelAt(image, p % 3 * 16 + 8, p / 3 * 16 + 8);
            EXPECT_TRUE(NearColour(pixel, patches[p].colour, 3))
                << "patch " << p << ": " << int(pixel.b) << "," << int(pixel.g) << "," << int(pixel.r);
        }
    }
}

TEST_F(JpegLoad, FileObjectIsDecodedFromItsFirstByteAndClosedOnlyOnSuccess)
{
    const std::vector<BYTE> jpeg = EncodeThroughCodec(codec, Quadrants(32, 32));
    BytesFile file(jpeg);
    file.Seek(static_cast<int64_t>(jpeg.size() / 2), CFile::begin);
    CDib image;
    ASSERT_EQ(image.LoadJPEG(codec, file, 1), DIB_OK);
    EXPECT_EQ(file.closeCount, 1);
    EXPECT_EQ(image.GetWidth(), 32);

    ShortReadFile shortFile(jpeg, jpeg.size() - 1);
    EXPECT_EQ(image.LoadJPEG(codec, shortFile, 1), DIB_ERR_FILE_IO);
    EXPECT_EQ(shortFile.closeCount, 0);
    EXPECT_EQ(image.GetWidth(), 32);
}

TEST_F(JpegLoad, DamagedOrForeignStreamsFailAndKeepTheImage)
{
    const std::vector<BYTE> jpeg = EncodeThroughCodec(codec, TestImage(ImageSpec{40, 40, 24}, 7));
    const size_t scanStart = FindMarker(jpeg, 0xDA) + 20;
    std::vector<BYTE> endMarkerInScan = jpeg;
    endMarkerInScan[scanStart + 40] = 0xFF;
    endMarkerInScan[scanStart + 41] = 0xD9;
    std::vector<BYTE> tablesOnly(jpeg.begin(), jpeg.begin() + static_cast<long>(FindMarker(jpeg, 0xC0)));
    tablesOnly.insert(tablesOnly.end(), {0xFF, 0xD9});
    CMemFile bmp;
    ASSERT_EQ(Quadrants(8, 8).WriteBmp(bmp, 0), DIB_OK);

    const std::pair<const char*, std::vector<BYTE>> streams[] = {
        {"empty", {}},
        {"BMP file", FileBytes(bmp)},
        {"start of image only", {0xFF, 0xD8}},
        {"cut in the header", {jpeg.begin(), jpeg.begin() + 30}},
        {"cut in the scan", {jpeg.begin(), jpeg.begin() + static_cast<long>(scanStart + 60)}},
        {"no end marker", {jpeg.begin(), jpeg.end() - 2}},
        {"end marker inside the scan", endMarkerInScan},
        {"tables without a frame", tablesOnly},
    };
    for (const auto& [what, bytes] : streams) {
        SCOPED_TRACE(what);
        TestImage image(ImageSpec{5, 5, 24});
        const ImageSnapshot before(image);
        BytesFile file(bytes);
        EXPECT_EQ(image.LoadJPEG(codec, file, 1), DIB_ERR_FILE_IO);
        EXPECT_TRUE(before.Matches(image));
        EXPECT_EQ(codec.JpgGetProperties(), nullptr);
        EXPECT_EQ(file.closeCount, 0);
        EXPECT_EQ(image.LoadJPEG(codec, WriteTempFile("damaged.jpg", bytes).c_str()), DIB_ERR_FILE_IO);
        EXPECT_TRUE(before.Matches(image));
    }
    TestImage image(ImageSpec{5, 5, 24});
    EXPECT_EQ(image.LoadJPEG(codec, "/no/such/file.jpg"), DIB_ERR_FILE_IO);
}

TEST_F(JpegLoad, PictureOverThirtyTwoBitsIsRefusedBeforeDecoding)
{
    std::vector<BYTE> jpeg = EncodeThroughCodec(codec, Quadrants(16, 16));
    const size_t frame = FindMarker(jpeg, 0xC0);
    ASSERT_LT(frame + 9, jpeg.size());
    // Height and width 65500: 196500-byte rows, 12.9 GB in all.
    for (size_t at : {frame + 5, frame + 7}) {
        jpeg[at] = 0xFF;
        jpeg[at + 1] = 0xDC;
    }
    TestImage image(ImageSpec{5, 5, 24});
    const ImageSnapshot before(image);
    BytesFile file(jpeg);
    EXPECT_EQ(image.LoadJPEG(codec, file, 0), DIB_ERR_NO_MEMORY);
    EXPECT_TRUE(before.Matches(image));
}

TEST(JpegLoadWithoutCodec, ReturnsJpegErrorAndTouchesNothing)
{
    CJPeg codec;
    ASSERT_EQ(codec.InitJPEGLibrary("/no/such/codec.so"), 0);
    TestImage image(ImageSpec{5, 5, 24});
    const ImageSnapshot before(image);
    BytesFile file({0xFF, 0xD8});
    file.Seek(1, CFile::begin);
    EXPECT_EQ(image.LoadJPEG(codec, file, 1), DIB_ERR_JPEG);
    EXPECT_EQ(image.LoadJPEG(codec, "x.jpg"), DIB_ERR_JPEG);
    EXPECT_TRUE(before.Matches(image));
    EXPECT_EQ(file.GetPosition(), 1u);
    EXPECT_EQ(file.closeCount, 0);
}

TEST_F(JpegLoad, CorpusFilesDecodeToTheirExpectedPixels)
{
    const std::string folder = std::string(VELMORO_CORPUS_DIR) + "/jpeg/";
    std::ifstream table(folder + "expected.tsv");
    ASSERT_TRUE(table) << folder;
    std::string line;
    std::getline(table, line);  // column names
    int files = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string name, width, height, channels, md5;
        std::getline(fields, name, '\t');
        std::getline(fields, width, '\t');
        std::getline(fields, height, '\t');
        std::getline(fields, channels, '\t');
        std::getline(fields, md5, '\t');
        SCOPED_TRACE(name);
        ++files;
        const std::string path = folder + name;
        TestImage image(ImageSpec{5, 5, 24});
        const ImageSnapshot before(image);
        if (md5 == "-") {
            EXPECT_EQ(image.LoadJPEG(codec, path.c_str()), DIB_ERR_FILE_IO);
            EXPECT_TRUE(before.Matches(image));
            continue;
        }
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
        ASSERT_EQ(image.LoadJPEG(codec, file, 1), DIB_OK);
        EXPECT_EQ(image.GetWidth(), std::stoi(width));
        EXPECT_EQ(image.GetHeight(), std::stoi(height));
        EXPECT_EQ(Md5Hex(PixelBlock(image)), md5);
        CDib fromPath;
        ASSERT_EQ(fromPath.LoadJPEG(codec, path.c_str()), DIB_OK);
        EXPECT_EQ(PixelBlock(fromPath), PixelBlock(image));
    }
    EXPECT_EQ(files, 4);
}

}  // namespace
