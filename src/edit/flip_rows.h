// SPDX-License-Identifier: MIT
// The vector halves of the flips: whole blocks of pixels exchanged between
// the two ends of a row, each block reversed on the way, and whole blocks of
// bytes exchanged between two rows.
#ifndef VELMORO_SRC_EDIT_FLIP_ROWS_H
#define VELMORO_SRC_EDIT_FLIP_ROWS_H

#include <velmoro/types.h>

#include <cstddef>

namespace velmoro {

// Mirrors the outer pixels of a row of width pixels in place, working inward
// by whole blocks while two blocks still fit between the ends, and a middle of
// at least one block by two overlapping blocks; returns how many pixels from
// each end it has placed (half the width, rounded up, for the whole row). A
// middle narrower than a block is left to the plain loop.
using MirrorBlocksFn = size_t (*)(BYTE* row, size_t width);

// The fastest block mirror this processor runs for 1, 2 or 3 bytes per pixel,
// or NULL when it has none (then the plain loop does the whole row).
MirrorBlocksFn SelectMirrorBlocks(int bytesPerPixel);

// Exchanges the leading bytes of two distinct rows by whole vector blocks;
// returns how many bytes it exchanged, the rest being left to the plain loop.
using SwapBlocksFn = size_t (*)(BYTE* first, BYTE* second, size_t bytes);

// The widest block exchange this processor runs, or NULL.
SwapBlocksFn SelectSwapBlocks();

}  // namespace velmoro

#endif
