// SPDX-License-Identifier: MIT
// Depth conversion at 1920 x 1080: each worker plain, as its SSE2 twin and as its
// AVX2 twin, beside memcpy of the destination's bytes. Items are pixels, so the
// items_per_second column reads as pixels per second.
#include <velmoro/dib_edit.h>

#include "bench_switches.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

int Stride(int bitCount)
{
    return ((kWidth * bitCount + 31) >> 3) & ~3;
}

// Opens the workers to the benchmark; the public operations would add an
// allocation per call to what is measured.
class BenchImage : public CDibEdit {
public:
    BenchImage(int bitCount, DWORD format)
    {
        Create(kWidth, kHeight, bitCount, 0, format);
        std::mt19937 rng(7);
        for (size_t i = 0; i < static_cast<size_t>(Stride(bitCount)) * kHeight; ++i)
            GetBmpBitsAddress()[i] = static_cast<BYTE>(rng());
    }

    enum class Worker { k8To24, k8To16, k16To24, k24To16, k16To16 };

    DWORD Run(Worker worker, BYTE* dst, DWORD format, bool twin)
    {
        switch (worker) {
        case Worker::k8To24: return twin ? Bit8To24BitPerPixelMMX(dst) : Bit8To24BitPerPixel(dst);
        case Worker::k8To16: return twin ? Bit8To16BitPerPixelMMX(dst, format) : Bit8To16BitPerPixel(dst, format);
        case Worker::k16To24: return twin ? Bit16To24BitPerPixelMMX(dst) : Bit16To24BitPerPixel(dst);
        case Worker::k24To16: return twin ? Bit24To16BitPerPixelMMX(dst, format) : Bit24To16BitPerPixel(dst, format);
        case Worker::k16To16: return twin ? Bit16To16BitPerPixelMMX(dst, format) : Bit16To16BitPerPixel(dst, format);
        }
        return DIB_OK;
    }
};

using velmoro_bench::Variant;
using Worker = BenchImage::Worker;

void BM_Convert(benchmark::State& state, int srcBits, DWORD srcFormat, int dstBits, Variant variant,
                Worker worker, DWORD format)
{
    BenchImage image(srcBits, srcFormat);
    std::vector<BYTE> dst(static_cast<size_t>(Stride(dstBits)) * kHeight);
    BYTE* out = dstBits == 0 ? image.GetBmpBitsAddress() : dst.data();  // 0: in place
    const velmoro_bench::RowsScope rows(variant, true);
    for (auto _ : state) {
        image.Run(worker, out, format, variant != Variant::Plain);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_Memcpy(benchmark::State& state, int bitCount)
{
    const size_t bytes = static_cast<size_t>(Stride(bitCount)) * kHeight;
    std::vector<BYTE> src(bytes, 1), dst(bytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), bytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

// The SSE2 twins can be asked for only in a build with the test switches.
#if defined(VELMORO_TEST_SWITCHES)
#define VELMORO_SSE2_CONVERSION(name, srcBits, srcFormat, dstBits, worker, format) \
    BENCHMARK_CAPTURE(BM_Convert, name##_sse2, srcBits, srcFormat, dstBits, Variant::Sse2, worker, format)
#else
#define VELMORO_SSE2_CONVERSION(name, srcBits, srcFormat, dstBits, worker, format) static_assert(true)
#endif

#define VELMORO_CONVERSION(name, srcBits, srcFormat, dstBits, worker, format)                                  \
    BENCHMARK_CAPTURE(BM_Convert, name##_plain, srcBits, srcFormat, dstBits, Variant::Plain, worker, format); \
    VELMORO_SSE2_CONVERSION(name, srcBits, srcFormat, dstBits, worker, format);                               \
    BENCHMARK_CAPTURE(BM_Convert, name##_avx2, srcBits, srcFormat, dstBits, Variant::Avx2, worker, format)

BENCHMARK_CAPTURE(BM_Memcpy, memcpy_16bit_block, 16);
BENCHMARK_CAPTURE(BM_Memcpy, memcpy_24bit_block, 24);
VELMORO_CONVERSION(8_to_24, 8, 0, 24, Worker::k8To24, 0);
VELMORO_CONVERSION(8_to_555, 8, 0, 16, Worker::k8To16, DIB_FORMAT_555);
VELMORO_CONVERSION(8_to_565, 8, 0, 16, Worker::k8To16, DIB_FORMAT_565);
VELMORO_CONVERSION(555_to_24, 16, DIB_FORMAT_555, 24, Worker::k16To24, 0);
VELMORO_CONVERSION(565_to_24, 16, DIB_FORMAT_565, 24, Worker::k16To24, 0);
VELMORO_CONVERSION(24_to_555, 24, 0, 16, Worker::k24To16, DIB_FORMAT_555);
VELMORO_CONVERSION(24_to_565, 24, 0, 16, Worker::k24To16, DIB_FORMAT_565);
VELMORO_CONVERSION(555_to_565_in_place, 16, DIB_FORMAT_555, 0, Worker::k16To16, DIB_FORMAT_565);
VELMORO_CONVERSION(565_to_555_in_place, 16, DIB_FORMAT_565, 0, Worker::k16To16, DIB_FORMAT_555);

}  // namespace
