// SPDX-License-Identifier: MIT
// Loading and writing 1920 x 1080 BMP files from and to memory, beside memcpy of the same bytes.
#include <velmoro/dib.h>
#include <velmoro/platform/file.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::vector<BYTE> MakeFile(int bitCount)
{
    const int entries = bitCount == 8 ? 256 : 0;
    const size_t stride = static_cast<size_t>(((kWidth * bitCount + 31) >> 3) & ~3);
    const size_t offBits = 54 + 4 * static_cast<size_t>(entries);
    std::vector<BYTE> file(offBits + stride * kHeight);
    BITMAPFILEHEADER fileHeader{0x4D42, static_cast<DWORD>(file.size()), 0, 0, static_cast<DWORD>(offBits)};
    BITMAPINFOHEADER header{40, kWidth, kHeight, 1, static_cast<WORD>(bitCount), BI_RGB, 0, 0, 0, 0, 0};
    std::memcpy(file.data(), &fileHeader, 14);
    std::memcpy(file.data() + 14, &header, 40);
    for (size_t i = 54; i < file.size(); ++i)
        file[i] = static_cast<BYTE>(i * 31);
    return file;
}

void BM_LoadBmp(benchmark::State& state)
{
    std::vector<BYTE> bytes = MakeFile(static_cast<int>(state.range(0)));
    CDib image;
    for (auto _ : state) {
        CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
        if (image.Load(file, 0) != DIB_OK)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image.GetBmpBitsAddress());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_WriteBmp(benchmark::State& state)
{
    std::vector<BYTE> bytes = MakeFile(static_cast<int>(state.range(0)));
    CDib image;
    {
        CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
        image.Load(file, 0);
    }
    std::vector<BYTE> target(bytes.size());
    for (auto _ : state) {
        CMemFile file(target.data(), static_cast<UINT>(target.size()));
        if (image.WriteBmp(file, 0) != DIB_OK)
            state.SkipWithError("write failed");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_MemcpySameBytes(benchmark::State& state)
{
    std::vector<BYTE> bytes = MakeFile(static_cast<int>(state.range(0)));
    std::vector<BYTE> target(bytes.size());
    for (auto _ : state) {
        std::memcpy(target.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

BENCHMARK(BM_LoadBmp)->Arg(24)->Arg(8);
BENCHMARK(BM_WriteBmp)->Arg(24)->Arg(8);
BENCHMARK(BM_MemcpySameBytes)->Arg(24)->Arg(8);

}  // namespace
