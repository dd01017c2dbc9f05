// SPDX-License-Identifier: MIT
// Crop, join, flip and interlace on a 1920 x 1080 24-bit picture, each beside
// memcpy of the same pixel bytes. Items are pixels: items_per_second / 1e6 is
// megapixels per second.
#include <velmoro/dib_edit.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kBits = 24;

int Stride(int width)
{
    return ((width * kBits + 31) >> 3) & ~3;
}

// A 24-bit image with seeded bytes, built without Create.
class BenchImage : public CDibEdit {
public:
    BenchImage(int width, int height)
    {
        auto* info = static_cast<BITMAPINFO*>(std::calloc(1, sizeof(BITMAPINFOHEADER)));
        info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info->bmiHeader.biWidth = width;
        info->bmiHeader.biHeight = height;
        info->bmiHeader.biPlanes = 1;
        info->bmiHeader.biBitCount = kBits;
        const size_t bytes = static_cast<size_t>(Stride(width)) * height;
        auto* bits = static_cast<BYTE*>(std::malloc(bytes));
        for (size_t i = 0; i < bytes; ++i)
            bits[i] = static_cast<BYTE>(i * 2654435761u >> 24);
        ReplaceBlocks(info, bits);
    }

};

// A join replaces this image's pixels: each iteration starts again from a
// fresh copy of the first image, made outside the timed part.
void BenchJoin(benchmark::State& state, int firstWidth, int firstHeight, int secondWidth, int secondHeight,
               bool horizontal)
{
    const BenchImage pristine(firstWidth, firstHeight);
    BenchImage second(secondWidth, secondHeight);
    CDibEdit first;
    for (auto _ : state) {
        state.PauseTiming();
        first.CopyDib(pristine);
        state.ResumeTiming();
        benchmark::DoNotOptimize(horizontal ? first.JoinHorz(second, 0x00FF00) : first.JoinVert(second, 0x00FF00));
    }
}

void CountPicture(benchmark::State& state)
{
    const int64_t pixels = int64_t{kWidth} * kHeight;
    state.SetItemsProcessed(state.iterations() * pixels);
    state.SetBytesProcessed(state.iterations() * int64_t{Stride(kWidth)} * kHeight);
}

void BM_Memcpy(benchmark::State& state)
{
    const size_t bytes = static_cast<size_t>(Stride(kWidth)) * kHeight;
    std::vector<BYTE> src(bytes, 1), dst(bytes, 2);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), bytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    CountPicture(state);
}
BENCHMARK(BM_Memcpy);

// The same copy into a freshly allocated block, the old one freed after, as an
// operation that builds its result in new blocks must do.
void BM_MemcpyToNewBlock(benchmark::State& state)
{
    const size_t bytes = static_cast<size_t>(Stride(kWidth)) * kHeight;
    std::vector<BYTE> src(bytes, 1);
    void* previous = std::malloc(bytes);
    for (auto _ : state) {
        void* dst = std::malloc(bytes);
        std::memcpy(dst, src.data(), bytes);
        std::free(previous);
        previous = dst;
        benchmark::DoNotOptimize(dst);
        benchmark::ClobberMemory();
    }
    std::free(previous);
    CountPicture(state);
}
BENCHMARK(BM_MemcpyToNewBlock);

void BM_Crop(benchmark::State& state)
{
    BenchImage source(kWidth + 64, kHeight + 64);
    CDibEdit target;
    CRect rect(32, 32, 32 + kWidth, 32 + kHeight);
    for (auto _ : state)
        benchmark::DoNotOptimize(target.CropFrom(source, &rect));
    CountPicture(state);
}
BENCHMARK(BM_Crop);

// Results of changing size: every crop needs a new pixel block.
void BM_CropIntoNewBlock(benchmark::State& state)
{
    BenchImage source(kWidth + 64, kHeight + 64);
    CDibEdit target;
    const CRect rects[2] = {CRect(32, 32, 32 + kWidth, 32 + kHeight), CRect(32, 32, 32 + kWidth, 31 + kHeight)};
    int64_t pixels = 0;
    size_t next = 0;
    for (auto _ : state) {
        CRect rect = rects[next];
        next ^= 1;
        benchmark::DoNotOptimize(target.CropFrom(source, &rect));
        pixels += int64_t{rect.Width()} * rect.Height();
    }
    state.SetItemsProcessed(pixels);
    state.SetBytesProcessed(pixels * 3);
}
BENCHMARK(BM_CropIntoNewBlock);

void BM_JoinHorz(benchmark::State& state)
{
    BenchJoin(state, kWidth / 2, kHeight, kWidth / 2, kHeight, true);
    CountPicture(state);
}
BENCHMARK(BM_JoinHorz);

// Unequal heights: a quarter of the left half is fill band.
void BM_JoinHorzWithBand(benchmark::State& state)
{
    BenchJoin(state, kWidth / 2, kHeight * 3 / 4, kWidth / 2, kHeight, true);
    CountPicture(state);
}
BENCHMARK(BM_JoinHorzWithBand);

// Equal widths: two whole-block copies.
void BM_JoinVert(benchmark::State& state)
{
    BenchJoin(state, kWidth, kHeight / 2, kWidth, kHeight / 2, false);
    CountPicture(state);
}
BENCHMARK(BM_JoinVert);

// Unequal widths: row copies with a fill band beside the narrower image.
void BM_JoinVertWithBand(benchmark::State& state)
{
    BenchJoin(state, kWidth * 3 / 4, kHeight / 2, kWidth, kHeight / 2, false);
    CountPicture(state);
}
BENCHMARK(BM_JoinVertWithBand);

void BM_FlipVert(benchmark::State& state)
{
    BenchImage image(kWidth, kHeight);
    for (auto _ : state)
        benchmark::DoNotOptimize(image.InvertDibVert());
    CountPicture(state);
}
BENCHMARK(BM_FlipVert);

void BM_FlipHorz(benchmark::State& state)
{
    BenchImage image(kWidth, kHeight);
    for (auto _ : state)
        benchmark::DoNotOptimize(image.InvertDibHorz());
    CountPicture(state);
}
BENCHMARK(BM_FlipHorz);

void BM_InterlaceHorz(benchmark::State& state)
{
    BenchImage source(kWidth, kHeight);
    CDibEdit target;
    for (auto _ : state)
        benchmark::DoNotOptimize(target.CreateHorzInterlaceFrom(source, 1, 0x00FF00));
    CountPicture(state);
}
BENCHMARK(BM_InterlaceHorz);

void BM_InterlaceVert(benchmark::State& state)
{
    BenchImage source(kWidth, kHeight);
    CDibEdit target;
    for (auto _ : state)
        benchmark::DoNotOptimize(target.CreateVertInterlaceFrom(source, 1, 0x00FF00));
    CountPicture(state);
}
BENCHMARK(BM_InterlaceVert);

}  // namespace
