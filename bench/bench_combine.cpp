// SPDX-License-Identifier: MIT
// Colour-key compositing of a 1920 x 1080 overlay with about 30 % key pixels,
// scattered, at 8, 16 and 24 bits: in place (two images) and into a fresh image
// (three images), plain rows against the SSE2 and AVX2 twins, beside a memcpy of the
// overlay's bytes; and in place at 256 x 256, where the images stay in the cache
// and the rows' own work shows. Items are pixels.
#include "compose_bench_images.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace velmoro_bench {
namespace {

constexpr DWORD kKey = RGB(255, 0, 255);
constexpr double kKeyFraction = 0.3;

DWORD CompressionFor(int bitCount)
{
    return bitCount == 16 ? BI_BITFIELDS : BI_RGB;
}

void CombineInPlace(benchmark::State& state, int bitCount, Variant variant)
{
    BenchImage target(bitCount, CompressionFor(bitCount), 1, 0.0, kKey);
    BenchImage overlay(bitCount, CompressionFor(bitCount), 2, kKeyFraction, kKey);
    BenchImage::UseVariant(variant);
    const RowsScope rows(variant, true);
    for (auto _ : state) {
        benchmark::DoNotOptimize(target.CombineDib(overlay, kKey, nullptr, nullptr, 1));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void CombineInPlaceCached(benchmark::State& state, int bitCount, Variant variant)
{
    constexpr int kSide = 256;
    BenchImage target(bitCount, CompressionFor(bitCount), 1, 0.0, kKey, kSide, kSide);
    BenchImage overlay(bitCount, CompressionFor(bitCount), 2, kKeyFraction, kKey, kSide, kSide);
    BenchImage::UseVariant(variant);
    for (auto _ : state) {
        benchmark::DoNotOptimize(target.CombineDib(overlay, kKey, nullptr, nullptr, 1));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kSide * kSide);
}

void CombineIntoNew(benchmark::State& state, int bitCount, Variant variant)
{
    BenchImage base(bitCount, CompressionFor(bitCount), 1, 0.0, kKey);
    BenchImage overlay(bitCount, CompressionFor(bitCount), 2, kKeyFraction, kKey);
    BenchImage result(bitCount, CompressionFor(bitCount), 3, 0.0, kKey);
    BenchImage::UseVariant(variant);
    const RowsScope rows(variant, true);
    for (auto _ : state) {
        benchmark::DoNotOptimize(result.CombineDib(base, overlay, kKey, nullptr, nullptr, 1));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void CopyOverlayBytes(benchmark::State& state, int bitCount)
{
    const size_t bytes = static_cast<size_t>(((kWidth * bitCount + 31) >> 3) & ~3) * kHeight;
    std::vector<BYTE> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

const bool kRegistered = [] {
    for (int bitCount : {8, 16, 24}) {
        const std::string depth = std::to_string(bitCount) + "bit";
        for (Variant variant : {Variant::Plain, Variant::Sse2, Variant::Avx2}) {
            if (!VariantAvailable(variant, true))
                continue;
            benchmark::RegisterBenchmark(("CombineInPlace/" + depth + "/" + VariantName(variant)).c_str(),
                                         CombineInPlace, bitCount, variant);
            benchmark::RegisterBenchmark(("CombineIntoNew/" + depth + "/" + VariantName(variant)).c_str(),
                                         CombineIntoNew, bitCount, variant);
            benchmark::RegisterBenchmark(("CombineInPlace256/" + depth + "/" + VariantName(variant)).c_str(),
                                         CombineInPlaceCached, bitCount, variant);
        }
        benchmark::RegisterBenchmark(("CombineMemcpy/" + depth).c_str(), CopyOverlayBytes, bitCount);
    }
    return true;
}();

}  // namespace
}  // namespace velmoro_bench
