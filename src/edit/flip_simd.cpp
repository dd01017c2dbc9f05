// SPDX-License-Identifier: MIT
// Block mirrors for the horizontal flip (byte shuffles reverse a block of
// pixels in registers, so each row is read and written once) and block
// exchanges for the vertical flip.
#include "edit/flip_rows.h"

#include <immintrin.h>

namespace velmoro {
namespace {

// Both blocks are loaded before either is stored, so the exchange is safe in place.
template <class Block>
inline void ExchangeReversed(BYTE* left, BYTE* right)
{
    typename Block::Data leftBlock;
    typename Block::Data rightBlock;
    Block::Load(left, leftBlock);
    Block::Load(right, rightBlock);
    Block::StoreReversed(left, rightBlock);
    Block::StoreReversed(right, leftBlock);
}

template <class Block>
inline size_t MirrorBlockPairs(BYTE* row, size_t width)
{
    BYTE* left = row;
    BYTE* right = row + width * Block::kPixelBytes;
    size_t done = 0;
    while (width - 2 * done >= 2 * Block::kPixels) {
        right -= Block::kBytes;
        ExchangeReversed<Block>(left, right);
        left += Block::kBytes;
        done += Block::kPixels;
    }
    // A middle of one to two blocks' pixels goes as one more pair of blocks that
    // overlap: each pixel in the overlap is written twice with the same value.
    if (width - 2 * done >= Block::kPixels) {
        ExchangeReversed<Block>(left, right - Block::kBytes);
        return (width + 1) / 2;
    }
    return done;
}

// 16 bytes reversed by one shuffle; for 16-bit pixels the byte pairs stay together.
template <size_t PixelBytes>
struct Block16 {
    static constexpr size_t kPixelBytes = PixelBytes;
    static constexpr size_t kBytes = 16;
    static constexpr size_t kPixels = kBytes / PixelBytes;
    using Data = __m128i;

    __attribute__((target("ssse3"))) static void Load(const BYTE* p, Data& block)
    {
        block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    __attribute__((target("ssse3"))) static void StoreReversed(BYTE* p, const Data& block)
    {
        const __m128i order = PixelBytes == 1
                                  ? _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
                                  : _mm_setr_epi8(14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_shuffle_epi8(block, order));
    }
};

// 32 bytes: each lane reversed by the shuffle, then the two lanes exchanged.
template <size_t PixelBytes>
struct Block32 {
    static constexpr size_t kPixelBytes = PixelBytes;
    static constexpr size_t kBytes = 32;
    static constexpr size_t kPixels = kBytes / PixelBytes;
    using Data = __m256i;

    __attribute__((target("avx2"))) static void Load(const BYTE* p, Data& block)
    {
        block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    __attribute__((target("avx2"))) static void StoreReversed(BYTE* p, const Data& block)
    {
        const __m256i order =
            PixelBytes == 1 ? _mm256_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12,
                                               11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
                            : _mm256_setr_epi8(14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1, 14, 15, 12, 13,
                                               10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1);
        const __m256i reversedLanes = _mm256_shuffle_epi8(block, order);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_permute4x64_epi64(reversedLanes, 0x4E));
    }
};

// 15 pixels of 3 bytes (45 bytes) in three 16-byte windows at offsets 0, 15
// and 29, five whole pixels in each, so one shuffle reverses a window's
// pixels. The reversed block goes out as three 16-byte stores in rising
// order: the first two each leave one wrong byte that the next store
// overwrites, and the last, ending exactly at byte 45, takes its first byte
// from the middle window. No store reaches past the block.
struct Block45 {
    static constexpr size_t kPixelBytes = 3;
    static constexpr size_t kBytes = 45;
    static constexpr size_t kPixels = 15;
    struct Data {
        __m128i first;   // pixels 0-4
        __m128i middle;  // pixels 5-9
        __m128i last;    // the last byte of pixel 9, pixels 10-14
    };

    __attribute__((target("ssse3"))) static void Load(const BYTE* p, Data& block)
    {
        block.first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        block.middle = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 15));
        block.last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 29));
    }
    __attribute__((target("ssse3"))) static void StoreReversed(BYTE* p, const Data& block)
    {
        const __m128i lastFive = _mm_setr_epi8(13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, 1, 2, 3, -128);
        const __m128i middleFive = _mm_setr_epi8(12, 13, 14, 9, 10, 11, 6, 7, 8, 3, 4, 5, 0, 1, 2, -128);
        const __m128i firstFiveAfterOne = _mm_setr_epi8(-128, 12, 13, 14, 9, 10, 11, 6, 7, 8, 3, 4, 5, 0, 1, 2);
        const __m128i redOfPixel5 = _mm_setr_epi8(2, -128, -128, -128, -128, -128, -128, -128, -128, -128, -128,
                                                  -128, -128, -128, -128, -128);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_shuffle_epi8(block.last, lastFive));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 15), _mm_shuffle_epi8(block.middle, middleFive));
        const __m128i tail = _mm_or_si128(_mm_shuffle_epi8(block.first, firstFiveAfterOne),
                                          _mm_shuffle_epi8(block.middle, redOfPixel5));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 29), tail);
    }
};

// Rows exchanged through registers: each byte is read once and written once,
// as a memcpy of the same bytes would.
template <class Lanes>
inline size_t SwapBlockPairs(BYTE* first, BYTE* second, size_t bytes)
{
    size_t done = 0;
    for (; done + 2 * Lanes::kBytes <= bytes; done += 2 * Lanes::kBytes) {
        typename Lanes::Data a0, a1, b0, b1;
        Lanes::Load(first + done, a0);
        Lanes::Load(first + done + Lanes::kBytes, a1);
        Lanes::Load(second + done, b0);
        Lanes::Load(second + done + Lanes::kBytes, b1);
        Lanes::Store(first + done, b0);
        Lanes::Store(first + done + Lanes::kBytes, b1);
        Lanes::Store(second + done, a0);
        Lanes::Store(second + done + Lanes::kBytes, a1);
    }
    return done;
}

struct Lanes16 {
    static constexpr size_t kBytes = 16;
    using Data = __m128i;
    static void Load(const BYTE* p, Data& lanes) { lanes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Store(BYTE* p, const Data& lanes) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), lanes); }
};

struct Lanes32 {
    static constexpr size_t kBytes = 32;
    using Data = __m256i;
    __attribute__((target("avx2"))) static void Load(const BYTE* p, Data& lanes)
    {
        lanes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    __attribute__((target("avx2"))) static void Store(BYTE* p, const Data& lanes)
    {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), lanes);
    }
};

}  // namespace

size_t SwapBytesSse2(BYTE* first, BYTE* second, size_t bytes)
{
    return SwapBlockPairs<Lanes16>(first, second, bytes);
}

VELMORO_AVX2 __attribute__((flatten)) size_t SwapBytesAvx2(BYTE* first, BYTE* second, size_t bytes)
{
    return SwapBlockPairs<Lanes32>(first, second, bytes);
}

VELMORO_SSSE3 __attribute__((flatten)) size_t MirrorBytesSsse3(BYTE* row, size_t width)
{
    return MirrorBlockPairs<Block16<1>>(row, width);
}

VELMORO_SSSE3 __attribute__((flatten)) size_t MirrorWordsSsse3(BYTE* row, size_t width)
{
    return MirrorBlockPairs<Block16<2>>(row, width);
}

VELMORO_SSSE3 __attribute__((flatten)) size_t MirrorTriplesSsse3(BYTE* row, size_t width)
{
    return MirrorBlockPairs<Block45>(row, width);
}

VELMORO_AVX2 __attribute__((flatten)) size_t MirrorBytesAvx2(BYTE* row, size_t width)
{
    return MirrorBlockPairs<Block32<1>>(row, width);
}

VELMORO_AVX2 __attribute__((flatten)) size_t MirrorWordsAvx2(BYTE* row, size_t width)
{
    return MirrorBlockPairs<Block32<2>>(row, width);
}

}  // namespace velmoro
