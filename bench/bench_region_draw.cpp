// SPDX-License-Identifier: MIT
// Regions from a key colour and drawing into a memory context, in pixels per second.
#include <velmoro/dib.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr DWORD kKey = 0x00FF00FF;  // magenta, 0x00BBGGRR

// A 24-bit image built directly, filled by a per-pixel function of (x, y).
class BenchImage : public CDib {
public:
    template <typename PixelOf>
    BenchImage(int width, int height, PixelOf pixelOf)
    {
        BITMAPINFOHEADER header{};
        header.biSize = sizeof header;
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = 24;
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
        auto* info = static_cast<BITMAPINFO*>(std::malloc(sizeof header));
        auto* bits = static_cast<BYTE*>(std::calloc(stride * height, 1));
        std::memcpy(info, &header, sizeof header);
        for (int y = 0; y < height; ++y) {
            BYTE* row = bits + stride * (height - 1 - y);
            for (int x = 0; x < width; ++x) {
                const DWORD color = pixelOf(x, y);
                row[3 * x] = GetBValue(color);
                row[3 * x + 1] = GetGValue(color);
                row[3 * x + 2] = GetRValue(color);
            }
        }
        ReplaceBlocks(info, bits);
    }
};

// A disc on a key-coloured background, with 3 % of the pixels flipped to make many short runs.
BenchImage SpriteMask()
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> percent(0, 99);
    const long radius = kHeight * 4 / 10;
    return BenchImage(kWidth, kHeight, [&](int x, int y) {
        const long dx = x - kWidth / 2;
        const long dy = y - kHeight / 2;
        const bool inside = dx * dx + dy * dy < radius * radius;
        const bool flipped = percent(rng) < 3;
        return (inside != flipped) ? RGB(40, 120, 200) : kKey;
    });
}

void BM_RegionFromSpriteMask(benchmark::State& state)
{
    BenchImage image = SpriteMask();
    for (auto _ : state) {
        HRGN region = NULL;
        if (image.CreateRegionFromScanLine(&region, kKey) != DIB_OK) {
            state.SkipWithError("no region");
            break;
        }
        DeleteObject(region);
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_RegionFromSpriteMask)->Unit(benchmark::kMillisecond);

// A memory context drawing on a 32-bit bitmap of the image's size.
struct MemoryTarget {
    MemoryTarget(int width, int height)
        : screen(GetDC(NULL)), hdc(CreateCompatibleDC(screen)), bitmap(CreateCompatibleBitmap(screen, width, height)),
          previous(SelectObject(hdc, bitmap)), dc(hdc)
    {
    }
    ~MemoryTarget()
    {
        SelectObject(hdc, previous);
        DeleteObject(bitmap);
        DeleteDC(hdc);
        ReleaseDC(NULL, screen);
    }
    HDC screen;
    HDC hdc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    CDC dc;
};

BenchImage Photo()
{
    std::mt19937 rng(11);
    return BenchImage(kWidth, kHeight, [&](int, int) { return static_cast<DWORD>(rng() & 0xFFFFFF); });
}

void BM_Draw24OneToOne(benchmark::State& state)
{
    BenchImage image = Photo();
    MemoryTarget target(kWidth, kHeight);
    for (auto _ : state)
        image.Draw(target.dc, NULL, NULL);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_Draw24OneToOne)->Unit(benchmark::kMillisecond);

// Items are destination pixels.
void BM_Draw24StretchedTo1280x720(benchmark::State& state)
{
    BenchImage image = Photo();
    MemoryTarget target(1280, 720);
    const CRect destination(0, 0, 1280, 720);
    for (auto _ : state)
        image.Draw(target.dc, &destination, NULL);
    state.SetItemsProcessed(state.iterations() * 1280 * 720);
}
BENCHMARK(BM_Draw24StretchedTo1280x720)->Unit(benchmark::kMillisecond);

// The floor for a 1:1 draw: copying the 32-bit surface's bytes.
void BM_MemcpySurfaceBytes(benchmark::State& state)
{
    std::vector<BYTE> source(size_t{kWidth} * kHeight * 4, 1);
    std::vector<BYTE> destination(source.size());
    for (auto _ : state) {
        std::memcpy(destination.data(), source.data(), source.size());
        benchmark::DoNotOptimize(destination.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_MemcpySurfaceBytes)->Unit(benchmark::kMillisecond);

}  // namespace
