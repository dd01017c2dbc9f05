// SPDX-License-Identifier: MIT
// Row functions of the flips: pixels mirrored between the two ends of a row,
// bytes exchanged between two rows. The vector rows work by whole blocks, each
// block reversed on the way, and leave the rest to the plain loop.
#ifndef VELMORO_SRC_EDIT_FLIP_ROWS_H
#define VELMORO_SRC_EDIT_FLIP_ROWS_H

#include "edit/simd_memory.h"

#include <velmoro/types.h>

#include <cstddef>

namespace velmoro {

// Mirrors the outer pixels of a row of width pixels (at least 1) in place,
// working inward; returns how many pixels from each end it has placed (half the
// width, rounded up, for the whole row). The vector rows go by whole blocks
// while two blocks still fit between the ends, and a middle of at least one
// block by two overlapping blocks; a narrower middle is left to the plain loop.
using MirrorRowFn = size_t (*)(BYTE* row, size_t width);

// Exchanges the leading bytes of two distinct rows; returns how many bytes it
// exchanged, the rest being left to the plain loop.
using SwapRowsFn = size_t (*)(BYTE* first, BYTE* second, size_t bytes);

#if VELMORO_X86
size_t SwapBytesSse2(BYTE* first, BYTE* second, size_t bytes);
VELMORO_AVX2 size_t SwapBytesAvx2(BYTE* first, BYTE* second, size_t bytes);
VELMORO_SSSE3 size_t MirrorBytesSsse3(BYTE* row, size_t width);
VELMORO_SSSE3 size_t MirrorWordsSsse3(BYTE* row, size_t width);
VELMORO_SSSE3 size_t MirrorTriplesSsse3(BYTE* row, size_t width);
VELMORO_AVX2 size_t MirrorBytesAvx2(BYTE* row, size_t width);
VELMORO_AVX2 size_t MirrorWordsAvx2(BYTE* row, size_t width);
#endif

}  // namespace velmoro

#endif
