// SPDX-License-Identifier: MIT
// The FreeImage calls of the BMP cases, behind plain types: FreeImage.h declares
// its own Windows structures, which clash with Velmoro's.
#ifndef VELMORO_BENCH_PEERS_FREEIMAGE_CALLS_H
#define VELMORO_BENCH_PEERS_FREEIMAGE_CALLS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace peer_bench {
namespace freeimage {

// Loads a BMP file held in memory into a new bitmap and unloads it; pixels, when
// given, receive its bottom-up rows.
void LoadBmp(const uint8_t* file, size_t size, std::vector<uint8_t>* pixels);

// A 24-bit bitmap of bottom-up blue, green, red rows.
std::shared_ptr<void> MakeBitmap(const uint8_t* rows, int width, int height, int pitch);

// Writes the bitmap as a BMP file into a new memory stream; file, when given,
// receives the bytes.
void SaveBmp(void* bitmap, std::vector<uint8_t>* file);

}  // namespace freeimage
}  // namespace peer_bench

#endif
