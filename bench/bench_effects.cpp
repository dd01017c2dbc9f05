// SPDX-License-Identifier: MIT
// Mask, fade and the 3 x 3 filter over a 1920 x 1080 24-bit image, in pixels per
// second, beside memcpy of the same bytes. The filter runs plain, SSE2 and AVX2.
#include <velmoro/dib_edit.h>
#include <velmoro/platform/file.h>

#include "bench_switches.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr size_t kStride = (kWidth * 3 + 3) & ~3;
constexpr int64_t kPixels = int64_t{kWidth} * kHeight;

void LoadPicture(CDibEdit& image)
{
    std::vector<BYTE> file(54 + kStride * kHeight);
    BITMAPFILEHEADER fileHeader{0x4D42, static_cast<DWORD>(file.size()), 0, 0, 54};
    BITMAPINFOHEADER header{40, kWidth, kHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::memcpy(file.data(), &fileHeader, 14);
    std::memcpy(file.data() + 14, &header, 40);
    for (size_t i = 54; i < file.size(); ++i)
        file[i] = static_cast<BYTE>(i * 31 + (i >> 9));
    CMemFile memory(file.data(), static_cast<UINT>(file.size()));
    image.Load(memory, 0);
}

void BM_MaskImage50(benchmark::State& state)
{
    CDibEdit image;
    LoadPicture(image);
    int phase = 0;
    for (auto _ : state) {
        image.MaskImage50(RGB(255, 0, 255), phase ^= 1);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}

void BM_FadeDib(benchmark::State& state)
{
    CDibEdit image;
    LoadPicture(image);
    int amount = 7;
    for (auto _ : state) {
        image.FadeDib(amount = -amount);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}

using velmoro_bench::Variant;

// The filter's paths as benchmark arguments; without the test switches only the widest.
#if defined(VELMORO_TEST_SWITCHES)
const std::vector<int64_t> kFilterPaths = {static_cast<int64_t>(Variant::Plain), static_cast<int64_t>(Variant::Sse2),
                                           static_cast<int64_t>(Variant::Avx2)};
#else
const std::vector<int64_t> kFilterPaths = {static_cast<int64_t>(Variant::Avx2)};
#endif

// range(0): the path; range(1): 1 for a box blur (divisor 9), 0 for a sharpen (divisor 1).
void BM_FilterDib(benchmark::State& state)
{
    const auto path = static_cast<Variant>(state.range(0));
    const velmoro_bench::RowsScope rows(path, false);
    int blur[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    int sharpen[9] = {0, -1, 0, -1, 5, -1, 0, -1, 0};
    const bool isBlur = state.range(1) != 0;
    CDibEdit image;
    LoadPicture(image);
    for (auto _ : state) {
        image.FilterDib(isBlur ? blur : sharpen, isBlur ? 9 : 1, 0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
    state.SetLabel(std::string(velmoro_bench::VariantName(path)) +
                   (isBlur ? " box/9" : " sharpen/1"));
}

void BM_MemcpySameBytes(benchmark::State& state)
{
    std::vector<BYTE> source(kStride * kHeight, 7);
    std::vector<BYTE> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
}

BENCHMARK(BM_MemcpySameBytes);
BENCHMARK(BM_MaskImage50);
BENCHMARK(BM_FadeDib);
BENCHMARK(BM_FilterDib)->ArgsProduct({kFilterPaths, {1, 0}});

}  // namespace
