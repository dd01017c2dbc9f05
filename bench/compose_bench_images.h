// SPDX-License-Identifier: MIT
// Images for the compositing and blending benchmarks, built without Create, and the
// public flag for the SIMD twins.
#ifndef VELMORO_BENCH_COMPOSE_BENCH_IMAGES_H
#define VELMORO_BENCH_COMPOSE_BENCH_IMAGES_H

#include <velmoro/dib_edit.h>

#include "bench_switches.h"

#include <cstdlib>
#include <cstring>
#include <random>

namespace velmoro_bench {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

class BenchImage : public CDibEdit {
public:
    // Random pixels; at 8 bits a 256-entry table whose entry 7 is the key colour. A
    // keyFraction of pixels, scattered, hold the key in pixel form.
    BenchImage(int bitCount, DWORD compression, uint32_t seed, double keyFraction, DWORD keyColor,
               int width = kWidth, int height = kHeight)
    {
        const int entries = bitCount == 8 ? 256 : 0;
        const size_t maskBytes = compression == BI_BITFIELDS ? 12 : 0;
        const size_t infoBytes = sizeof(BITMAPINFOHEADER) + maskBytes + 4 * entries;
        auto* info = static_cast<BITMAPINFO*>(std::calloc(1, infoBytes));
        info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info->bmiHeader.biWidth = width;
        info->bmiHeader.biHeight = height;
        info->bmiHeader.biPlanes = 1;
        info->bmiHeader.biBitCount = static_cast<WORD>(bitCount);
        info->bmiHeader.biCompression = compression;
        const size_t stride = ((width * bitCount + 31) >> 3) & ~size_t{3};
        auto* bits = static_cast<BYTE*>(std::malloc(stride * height));
        std::mt19937 rng(seed);
        RGBQUAD* table = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(info) + 40 + maskBytes);
        for (int i = 0; i < entries; ++i)
            table[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i * 3), static_cast<BYTE>(i * 7), 0};
        if (entries)
            table[7] = RGBQUAD{GetBValue(keyColor), GetGValue(keyColor), GetRValue(keyColor), 0};
        const bool is565 = compression == BI_BITFIELDS;
        const unsigned key16 = is565 ? ((GetRValue(keyColor) >> 3) << 11 | (GetGValue(keyColor) >> 2) << 5 |
                                        (GetBValue(keyColor) >> 3))
                                     : ((GetRValue(keyColor) >> 3) << 10 | (GetGValue(keyColor) >> 3) << 5 |
                                        (GetBValue(keyColor) >> 3));
        const BYTE key24[3] = {GetBValue(keyColor), GetGValue(keyColor), GetRValue(keyColor)};
        std::bernoulli_distribution isKey(keyFraction);
        for (int y = 0; y < height; ++y) {
            BYTE* row = bits + stride * y;
            for (size_t i = 0; i < stride; ++i)
                row[i] = static_cast<BYTE>(rng());
            for (int x = 0; x < width; ++x) {
                if (!isKey(rng))
                    continue;
                if (bitCount == 8)
                    row[x] = 7;
                else if (bitCount == 16)
                    std::memcpy(row + 2 * x, &key16, 2);
                else
                    std::memcpy(row + 3 * x, key24, 3);
            }
        }
        ReplaceBlocks(info, bits);
    }

    // The public flag; the caller narrows the rows with a RowsScope.
    static void UseVariant(Variant variant) { SetMMXEnabled(variant == Variant::Plain ? 0 : 1); }
};

}  // namespace velmoro_bench

#endif
