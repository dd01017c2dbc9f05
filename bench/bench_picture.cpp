// SPDX-License-Identifier: MIT
// Decoding a 1920 x 1080 PNG: through LoadPicture (memory form, new blocks each
// time, as a program opening one picture after another) beside libpng called
// directly with the same transformations into one bottom-up BGR buffer, for an
// 8-bit colour picture, one with alpha (dropped) and a palette picture. Bytes
// per second count the decoded pixel bytes.
#include <velmoro/dib.h>
#include <velmoro/picture_io.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <png.h>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

struct Encoded {
    std::vector<BYTE> bytes;
};

void AppendToVector(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<std::vector<BYTE>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// Smooth gradients with a little grain (and for alpha, a soft edge), encoded by
// libpng at its default level.
std::vector<BYTE> EncodeHd(int colorType)
{
    const int channels = colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : colorType == PNG_COLOR_TYPE_RGB ? 3 : 1;
    std::vector<BYTE> pixels(size_t{kWidth} * kHeight * channels);
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 28) - 8;
            BYTE* p = &pixels[(size_t{kWidth} * y + x) * channels];
            if (channels == 1) {
                p[0] = static_cast<BYTE>((x / 64 + y / 64 * 7) % 256);  // flat tiles of 256 colours
                continue;
            }
            p[0] = static_cast<BYTE>(x * 255 / kWidth + grain);
            p[1] = static_cast<BYTE>(y * 255 / kHeight + grain);
            p[2] = static_cast<BYTE>((x + y) * 255 / (kWidth + kHeight) + grain);
            if (channels == 4)
                p[3] = static_cast<BYTE>(std::abs(x - kWidth / 2) * 255 / (kWidth / 2));
        }
    }
    std::vector<BYTE> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)))
        std::abort();
    png_set_write_fn(png, &out, AppendToVector, NoFlush);
    png_set_IHDR(png, info, kWidth, kHeight, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color palette[256];
        for (int i = 0; i < 256; ++i)
            palette[i] = png_color{static_cast<BYTE>(i), static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i)};
        png_set_PLTE(png, info, palette, 256);
    }
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y)
        png_write_row(png, &pixels[size_t{kWidth} * y * channels]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

const std::vector<BYTE>& HdPng(int colorType)
{
    static const std::vector<BYTE> rgb = EncodeHd(PNG_COLOR_TYPE_RGB);
    static const std::vector<BYTE> rgba = EncodeHd(PNG_COLOR_TYPE_RGB_ALPHA);
    static const std::vector<BYTE> palette = EncodeHd(PNG_COLOR_TYPE_PALETTE);
    return colorType == PNG_COLOR_TYPE_RGB ? rgb : colorType == PNG_COLOR_TYPE_RGB_ALPHA ? rgba : palette;
}

int64_t PixelBytes(int colorType)
{
    const int bytesPerPixel = colorType == PNG_COLOR_TYPE_PALETTE ? 1 : 3;
    return int64_t{(bytesPerPixel * kWidth + 3) & ~3} * kHeight;
}

void BM_LoadPictureHdPng(benchmark::State& state)
{
    const int colorType = static_cast<int>(state.range(0));
    const std::vector<BYTE>& png = HdPng(colorType);
    const PictureReadOptions options = DefaultPictureReadOptions();
    for (auto _ : state) {
        CDib image;
        if (LoadPicture(image, png.data(), png.size(), options) != DIB_OK)
            state.SkipWithError("LoadPicture failed");
        benchmark::DoNotOptimize(image.GetBmpBitsAddress());
    }
    state.SetBytesProcessed(state.iterations() * PixelBytes(colorType));
}

struct MemoryInput {
    const BYTE* data;
    size_t size;
    size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length)
{
    auto* input = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (input->size - input->at < length)
        png_error(png, "cut short");
    std::memcpy(out, input->data + input->at, length);
    input->at += length;
}

// libpng's own read, the transformations LoadPicture asks for, rows written
// bottom-up into one buffer of the image's shape.
void BM_LibpngDirectHdPng(benchmark::State& state)
{
    const int colorType = static_cast<int>(state.range(0));
    const std::vector<BYTE>& png = HdPng(colorType);
    const size_t stride = static_cast<size_t>(PixelBytes(colorType) / kHeight);
    std::vector<BYTE> pixels(stride * kHeight);
    for (auto _ : state) {
        MemoryInput input{png.data(), png.size(), 0};
        png_structp reader = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(reader);
        if (setjmp(png_jmpbuf(reader))) {
            state.SkipWithError("libpng failed");
            break;
        }
        png_set_read_fn(reader, &input, ReadFromMemory);
        png_read_info(reader, info);
        if (colorType != PNG_COLOR_TYPE_PALETTE) {
            png_set_bgr(reader);
            png_set_strip_alpha(reader);
        }
        png_read_update_info(reader, info);
        for (int y = 0; y < kHeight; ++y)
            png_read_row(reader, &pixels[stride * (kHeight - 1 - y)], nullptr);
        png_read_end(reader, nullptr);
        png_destroy_read_struct(&reader, &info, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * PixelBytes(colorType));
}

BENCHMARK(BM_LoadPictureHdPng)
    ->ArgName("colorType")
    ->Arg(PNG_COLOR_TYPE_RGB)
    ->Arg(PNG_COLOR_TYPE_RGB_ALPHA)
    ->Arg(PNG_COLOR_TYPE_PALETTE)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibpngDirectHdPng)
    ->ArgName("colorType")
    ->Arg(PNG_COLOR_TYPE_RGB)
    ->Arg(PNG_COLOR_TYPE_RGB_ALPHA)
    ->Arg(PNG_COLOR_TYPE_PALETTE)
    ->Unit(benchmark::kMillisecond);

}  // namespace
