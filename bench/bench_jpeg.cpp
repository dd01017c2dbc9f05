// SPDX-License-Identifier: MIT
// Decoding a 1920 x 1080, quality 90, 4:2:0 JPEG: through CDib::LoadJPEG (file
// object, codec module, new blocks each time) beside libjpeg-turbo called
// directly into one bottom-up BGR buffer. Bytes per second count the decoded
// pixel bytes.
#include <velmoro/dib.h>
#include <velmoro/jpeg.h>
#include <velmoro/platform/file.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr size_t kStride = (3 * kWidth + 3) & ~3;
constexpr int64_t kPixelBytes = int64_t{kStride} * kHeight;

CJPeg& Codec()
{
    static CJPeg codec;
    static const int loaded = codec.InitJPEGLibrary(NULL);
    if (!loaded)
        std::abort();
    return codec;
}

// Smooth gradients with a little grain, encoded once through the codec's buffer mode
// (its defaults: baseline, 4:2:0).
const std::vector<BYTE>& HdJpeg()
{
    static const std::vector<BYTE> jpeg = [] {
        std::vector<BYTE> pixels(kStride * kHeight);
        uint32_t seed = 12345;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                seed = seed * 1664525u + 1013904223u;
                const int grain = static_cast<int>(seed >> 28) - 8;
                BYTE* p = &pixels[kStride * y + 3 * x];
                p[0] = static_cast<BYTE>(x * 255 / kWidth + grain);
                p[1] = static_cast<BYTE>(y * 255 / kHeight + grain);
                p[2] = static_cast<BYTE>((x + y) * 255 / (kWidth + kHeight) + grain);
            }
        }
        CJPeg& codec = Codec();
        std::vector<BYTE> stream(kStride * kHeight);
        if (codec.JpgInitConversion() != IJL_OK)
            std::abort();
        JPEG_CORE_PROPERTIES& record = *codec.JpgGetProperties();
        record.DIBBytes = pixels.data();
        record.DIBWidth = kWidth;
        record.DIBHeight = -kHeight;
        record.DIBPadBytes = 0;
        record.DIBChannels = 3;
        record.DIBColor = IJL_BGR;
        record.JPGQuality = 90;
        codec.JpgSetJPegStreamInfo(stream.data(), static_cast<DWORD>(stream.size()));
        if (codec.JpgBufferWriteImage() != IJL_OK)
            std::abort();
        stream.resize(record.JPGSizeBytes);
        codec.JpgEndConversion();
        return stream;
    }();
    return jpeg;
}

// A new image each time, as a program opening one file after another: the block
// freed by the last image is the next one's, warm like the direct decode's buffer.
void BM_LoadJpegHdIntoNewImage(benchmark::State& state)
{
    const std::vector<BYTE>& jpeg = HdJpeg();
    for (auto _ : state) {
        CDib image;
        CMemFile file(const_cast<BYTE*>(jpeg.data()), static_cast<UINT>(jpeg.size()));
        if (image.LoadJPEG(Codec(), file, 0) != DIB_OK)
            state.SkipWithError("LoadJPEG failed");
        benchmark::DoNotOptimize(image.GetBmpBitsAddress());
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}
BENCHMARK(BM_LoadJpegHdIntoNewImage)->Unit(benchmark::kMillisecond);

// One image reloaded: the new block is filled while the old one still lives, so
// two blocks take turns and the decode writes into the colder one.
void BM_LoadJpegHdReplacingImage(benchmark::State& state)
{
    const std::vector<BYTE>& jpeg = HdJpeg();
    CDib image;
    for (auto _ : state) {
        CMemFile file(const_cast<BYTE*>(jpeg.data()), static_cast<UINT>(jpeg.size()));
        if (image.LoadJPEG(Codec(), file, 0) != DIB_OK)
            state.SkipWithError("LoadJPEG failed");
        benchmark::DoNotOptimize(image.GetBmpBitsAddress());
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}
BENCHMARK(BM_LoadJpegHdReplacingImage)->Unit(benchmark::kMillisecond);

// The same decode with libjpeg-turbo's own defaults, rows written bottom-up.
void BM_LibjpegTurboDirectHd(benchmark::State& state)
{
    const std::vector<BYTE>& jpeg = HdJpeg();
    std::vector<BYTE> pixels(kStride * kHeight);
    for (auto _ : state) {
        jpeg_decompress_struct object{};
        jpeg_error_mgr errors;
        object.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&object);
        jpeg_mem_src(&object, jpeg.data(), jpeg.size());
        jpeg_read_header(&object, TRUE);
        object.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&object);
        JSAMPROW rows[16];
        while (object.output_scanline < object.output_height) {
            const JDIMENSION first = object.output_scanline;
            const JDIMENSION count = std::min<JDIMENSION>(16, object.output_height - first);
            for (JDIMENSION i = 0; i < count; ++i)
                rows[i] = &pixels[kStride * (kHeight - 1 - (first + i))];
            jpeg_read_scanlines(&object, rows, count);
        }
        jpeg_finish_decompress(&object);
        jpeg_destroy_decompress(&object);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * kPixelBytes);
}
BENCHMARK(BM_LibjpegTurboDirectHd)->Unit(benchmark::kMillisecond);

// The copies LoadJPEG adds around the decode: the stream into its buffer.
void BM_MemcpyJpegStream(benchmark::State& state)
{
    const std::vector<BYTE>& jpeg = HdJpeg();
    std::vector<BYTE> copy(jpeg.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), jpeg.data(), jpeg.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(jpeg.size()));
}
BENCHMARK(BM_MemcpyJpegStream);

}  // namespace
