// Row functions of colour-key compositing: the plain pixel rule per depth and its
// SSE2 and AVX2 twins. A row function composites count pixels: out[i] is base[i]
// where overlay[i] equals the key, else overlay[i]. out may be base itself, never
// the overlay.
#ifndef VELMORO_SRC_EDIT_COMBINE_SIMD_H
#define VELMORO_SRC_EDIT_COMBINE_SIMD_H

#include <velmoro/types.h>

#include <cstddef>
#include <cstdint>

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

// The reference rule; the twins finish their rows with it.
template <int Bytes>
inline void CombineKeyedRowPlain(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count,
                                 uint32_t key)
{
    for (size_t i = 0; i < count; ++i, out += Bytes, base += Bytes, overlay += Bytes) {
        const BYTE* from = LoadKeyPixel<Bytes>(overlay) == key ? base : overlay;
        for (int b = 0; b < Bytes; ++b)
            out[b] = from[b];
    }
}

void CombineKeyedRow8Sse2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow16Sse2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow24Sse2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow8Avx2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow16Avx2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);
void CombineKeyedRow24Avx2(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key);

}  // namespace velmoro

#endif
