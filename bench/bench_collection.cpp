// SPDX-License-Identifier: MIT
// Saving and loading a collection of 100 images of 256 x 256 x 24 bits to and
// from memory, beside memcpy of the same number of bytes.
#include <velmoro/dib_collection.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr DWORD kTag = 0x4C4F4356;  // "VCOL"
constexpr int kImages = 100;
constexpr int kSide = 256;

template <typename T>
void Append(std::vector<BYTE>& out, T value)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<BYTE>(static_cast<uint64_t>(value) >> (8 * i)));
}

// The collection file itself, built field by field, so the load benchmark does
// not depend on the saver.
std::vector<BYTE> CollectionBytes()
{
    std::mt19937 rng(7);
    const DWORD pixelBytes = kSide * kSide * 3;
    std::vector<BYTE> bytes;
    Append<DWORD>(bytes, kTag);
    Append<DWORD>(bytes, 0);
    Append<DWORD>(bytes, kImages);
    for (int i = 0; i < kImages; ++i) {
        BITMAPINFOHEADER header{};
        header.biSize = 40;
        header.biWidth = kSide;
        header.biHeight = kSide;
        header.biPlanes = 1;
        header.biBitCount = 24;
        Append<WORD>(bytes, static_cast<WORD>(i));
        Append<DWORD>(bytes, 9 + 1 + 40 + pixelBytes);
        Append<BYTE>(bytes, 1);
        Append<BYTE>(bytes, 0);
        Append<DWORD>(bytes, 40);
        const BYTE* raw = reinterpret_cast<const BYTE*>(&header);
        bytes.insert(bytes.end(), raw, raw + sizeof header);
        Append<DWORD>(bytes, pixelBytes);
        for (DWORD p = 0; p < pixelBytes; ++p)
            bytes.push_back(static_cast<BYTE>(rng()));
    }
    const DWORD body = static_cast<DWORD>(bytes.size() - 8);
    std::memcpy(bytes.data() + 4, &body, 4);
    return bytes;
}

const std::vector<BYTE>& Collection()
{
    static const std::vector<BYTE> bytes = CollectionBytes();
    return bytes;
}

void BM_CollectionLoad(benchmark::State& state)
{
    std::vector<BYTE> bytes = Collection();
    for (auto _ : state) {
        CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
        CDibEditList list;
        if (list.CreateNewNodeFromFile(file, kTag, 0) != kImages)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(list.GetFirstNode());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_CollectionLoad)->Unit(benchmark::kMillisecond);

void BM_CollectionSave(benchmark::State& state)
{
    std::vector<BYTE> bytes = Collection();
    CMemFile source(bytes.data(), static_cast<UINT>(bytes.size()));
    CDibEditList list;
    list.CreateNewNodeFromFile(source, kTag, 0);
    // A destination as large as the collection, so the file never grows inside the loop.
    std::vector<BYTE> destination(bytes.size());
    for (auto _ : state) {
        CMemFile file(destination.data(), static_cast<UINT>(destination.size()));
        if (list.SaveFile(file, kTag, 0) != bytes.size())
            state.SkipWithError("save failed");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_CollectionSave)->Unit(benchmark::kMillisecond);

void BM_CollectionMemcpy(benchmark::State& state)
{
    std::vector<BYTE> bytes = Collection();
    std::vector<BYTE> destination(bytes.size());
    for (auto _ : state) {
        std::memcpy(destination.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_CollectionMemcpy)->Unit(benchmark::kMillisecond);

}  // namespace
