// SPDX-License-Identifier: MIT
// The record's rules, checked on every image a fuzz target ends up with: both
// blocks or neither, a 40-byte header, no negative size, and blocks at least as
// large as the header says. Every byte of both blocks is read, so a block
// shorter than its header shows under AddressSanitizer even where the
// allocator rounds sizes up.
#ifndef VELMORO_FUZZ_IMAGE_CHECKS_H
#define VELMORO_FUZZ_IMAGE_CHECKS_H

#include <velmoro/dib.h>

#include <velmoro/internal/dib_layout.h>

#include <cstdint>
#include <malloc.h>

namespace fuzz {

// Keeps the reads of the blocks from being optimised away.
inline volatile unsigned g_byteSum;

inline void CheckImage(const CDib& image)
{
    const BITMAPINFO* info = image.GetBmpInfoAddress();
    const BYTE* bits = image.GetBmpBitsAddress();
    if ((info == NULL) != (bits == NULL))
        __builtin_trap();
    if (!info)
        return;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize != velmoro::kInfoHeaderBytes || header.biWidth < 0 || header.biHeight < 0)
        __builtin_trap();
    const uint64_t infoBytes = velmoro::InfoBlockBytes(info);
    const int64_t pixelBytes = velmoro::PixelBlockBytes(header);
    if (infoBytes > velmoro::kMaxBlockBytes || pixelBytes < 0 ||
        static_cast<uint64_t>(pixelBytes) > velmoro::kMaxBlockBytes)
        __builtin_trap();
    if (malloc_usable_size(const_cast<BITMAPINFO*>(info)) < infoBytes ||
        malloc_usable_size(const_cast<BYTE*>(bits)) < static_cast<uint64_t>(pixelBytes))
        __builtin_trap();
    unsigned sum = 0;
    for (uint64_t i = 0; i < infoBytes; ++i)
        sum += reinterpret_cast<const BYTE*>(info)[i];
    for (int64_t i = 0; i < pixelBytes; ++i)
        sum += bits[i];
    g_byteSum = sum;
}

}  // namespace fuzz

#endif
