// SPDX-License-Identifier: MIT
// Row functions of colour-key compositing: the plain pixel rule per depth and its
// SSE2, AVX2 and NEON twins. A row function composites count pixels: out[i] is base[i]
// where overlay[i] equals the key, else overlay[i]. out may be base itself, never
// the overlay.
#ifndef VELMORO_SRC_EDIT_COMBINE_SIMD_H
#define VELMORO_SRC_EDIT_COMBINE_SIMD_H

#include "base/cpu_features.h"

#include <velmoro/types.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace velmoro {

// key is the pixel as LoadKeyPixel reads it: an index, a 16-bit word, or blue |
// green << 8 | red << 16 for the three stored bytes of a 24-bit pixel.
using KeyedRowFn = void (*)(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count,
                            uint32_t key);

template <int Bytes>
inline uint32_t LoadKeyPixel(const BYTE* pixel)
{
    uint32_t value = 0;
    for (int i = 0; i < Bytes; ++i)
        value |= static_cast<uint32_t>(pixel[i]) << (8 * i);
    return value;
}

// The reference rule; the twins finish their rows with it. Written so that
// compilers pick with a conditional move, not a branch, which would mispredict on
// key pixels scattered over the overlay: one- and two-byte pixels are read from
// both images and selected as values, three-byte pixels copied from the chosen
// address.
template <int Bytes>
inline void CombineKeyedRowPlain(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count,
                                 uint32_t key)
{
    for (size_t i = 0; i < count; ++i, out += Bytes, base += Bytes, overlay += Bytes) {
        const uint32_t top = LoadKeyPixel<Bytes>(overlay);
        if constexpr (Bytes == 3) {
            std::memcpy(out, top == key ? base : overlay, Bytes);
        } else {
            const uint32_t below = LoadKeyPixel<Bytes>(base);
            const uint32_t chosen = top == key ? below : top;
            std::memcpy(out, &chosen, Bytes);  // little-endian, as LoadKeyPixel reads
        }
    }
}

#if VELMORO_X86
void CombineKeyedRow8Sse2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow16Sse2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow24Sse2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow24Ssse3(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow8Avx2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow16Avx2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow24Avx2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
#elif VELMORO_NEON
void CombineKeyedRow8Neon(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow16Neon(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow24Neon(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
#endif

}  // namespace velmoro

#endif
