// SPDX-License-Identifier: MIT
// Alpha blending of two 1920 x 1080 images at 16 bits (5-6-5) and 24 bits:
// AlphaBlend (no twin) and AlphaBlendDirect, plain against the SSE2 and AVX2 forms,
// beside a memcpy of the same bytes. Items are pixels.
#include "compose_bench_images.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace velmoro_bench {
namespace {

constexpr unsigned char kAlpha = 100;

DWORD CompressionFor(int bitCount)
{
    return bitCount == 16 ? BI_BITFIELDS : BI_RGB;
}

void BlendInPlace(benchmark::State& state, int bitCount, Variant variant)
{
    BenchImage target(bitCount, CompressionFor(bitCount), 1, 0.0, 0);
    BenchImage other(bitCount, CompressionFor(bitCount), 2, 0.0, 0);
    BenchImage::UseVariant(variant);
    const RowsScope rows(variant, false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(target.AlphaBlend(other, kAlpha));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BlendDirect(benchmark::State& state, int bitCount, Variant variant)
{
    BenchImage target(bitCount, CompressionFor(bitCount), 1, 0.0, 0);
    BenchImage first(bitCount, CompressionFor(bitCount), 2, 0.0, 0);
    BenchImage second(bitCount, CompressionFor(bitCount), 3, 0.0, 0);
    BenchImage::UseVariant(variant);
    const RowsScope rows(variant, bitCount == 24);
    for (auto _ : state) {
        benchmark::DoNotOptimize(target.AlphaBlendDirect(first, second, kAlpha));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void CopyBytes(benchmark::State& state, int bitCount)
{
    const size_t bytes = static_cast<size_t>(((kWidth * bitCount + 31) >> 3) & ~3) * kHeight;
    std::vector<BYTE> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

const bool kRegistered = [] {
    for (int bitCount : {16, 24}) {
        const std::string depth = std::to_string(bitCount) + "bit";
        // Only the 24-bit direct blend has a plain variant apart from its twin; the
        // other members run their SIMD rows whatever the flag says.
        for (Variant variant : {Variant::Plain, Variant::Sse2, Variant::Avx2}) {
            if (variant != Variant::Plain && VariantAvailable(variant, false))
                benchmark::RegisterBenchmark(("AlphaBlend/" + depth + "/" + VariantName(variant)).c_str(),
                                             BlendInPlace, bitCount, variant);
            if ((variant != Variant::Plain || bitCount == 24) && VariantAvailable(variant, bitCount == 24))
                benchmark::RegisterBenchmark(("AlphaBlendDirect/" + depth + "/" + VariantName(variant)).c_str(),
                                             BlendDirect, bitCount, variant);
        }
        benchmark::RegisterBenchmark(("BlendMemcpy/" + depth).c_str(), CopyBytes, bitCount);
    }
    return true;
}();

}  // namespace
}  // namespace velmoro_bench
