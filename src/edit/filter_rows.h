// SPDX-License-Identifier: MIT
// Row functions of the 3 x 3 filter over 24-bit pixels. A row of pixels is
// treated as a run of channel bytes: every channel's horizontal neighbours lie
// 3 bytes to either side, so one byte loop serves blue, green and red alike.
#ifndef VELMORO_SRC_EDIT_FILTER_ROWS_H
#define VELMORO_SRC_EDIT_FILTER_ROWS_H

#include "edit/simd_memory.h"

#include <velmoro/types.h>

#include <cstddef>
#include <cstdint>

namespace velmoro {

constexpr size_t kFilterNeighbourBytes = 3;

// What one output row reads. A missing neighbour row (the image's first or
// last stored row) is given as the row itself with its three weights zero.
struct FilterRowTaps {
    const BYTE* rows[3];  // stored row below, own row, stored row above
    int32_t weights[9];   // per row: left, centre, right
    int32_t divisor;      // never 0
    int32_t offset;
};

// trunc(sum / divisor) + offset clamped to 0..255. The quotient and the offset
// are taken in 64 bits, so INT32_MIN / -1 and a huge offset cannot overflow.
inline BYTE ScaleFilterSum(int32_t sum, int32_t divisor, int32_t offset)
{
    const int64_t value = int64_t{sum} / divisor + offset;
    return static_cast<BYTE>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// The reference for one channel byte. The sum wraps at 32 bits as the signed
// sums it stands for would, without the undefined overflow.
template <bool hasLeft, bool hasRight>
inline BYTE FilterChannel(const FilterRowTaps& taps, size_t index)
{
    uint32_t sum = 0;
    for (int row = 0; row < 3; ++row) {
        const BYTE* bytes = taps.rows[row];
        const int32_t* weights = taps.weights + 3 * row;
        if (hasLeft)
            sum += static_cast<uint32_t>(weights[0]) * bytes[index - kFilterNeighbourBytes];
        sum += static_cast<uint32_t>(weights[1]) * bytes[index];
        if (hasRight)
            sum += static_cast<uint32_t>(weights[2]) * bytes[index + kFilterNeighbourBytes];
    }
    return ScaleFilterSum(static_cast<int32_t>(sum), taps.divisor, taps.offset);
}

// The vector rows multiply 16-bit weights and divide in single precision,
// which is exact only while every sum stays below 2^24 in magnitude.
bool FilterKernelFitsSimd(const int32_t weights[9]);

// The offset the vector rows add in 32 bits: with |sum / divisor| below 2^24,
// any offset beyond 2^25 clamps to 0 or 255 exactly as the true one does.
inline int32_t VectorFilterOffset(int32_t offset)
{
    constexpr int32_t limit = int32_t{1} << 25;
    return offset < -limit ? -limit : offset > limit ? limit : offset;
}

// The one shape of the filter's rows: the channel bytes of a row that have both
// horizontal neighbours inside it, [kFilterNeighbourBytes, rowBytes -
// kFilterNeighbourBytes); the row's first and last pixel belong to the caller.
using FilterInteriorFn = void (*)(const FilterRowTaps& taps, size_t rowBytes, BYTE* out);

inline void FilterInterior24Plain(const FilterRowTaps& taps, size_t rowBytes, BYTE* out)
{
    for (size_t i = kFilterNeighbourBytes; i + kFilterNeighbourBytes < rowBytes; ++i)
        out[i] = FilterChannel<true, true>(taps, i);
}

// Rows too short for one vector step go to the next narrower row, in the end the plain one.
#if VELMORO_X86
void FilterInterior24Sse2(const FilterRowTaps& taps, size_t rowBytes, BYTE* out);
VELMORO_AVX2 void FilterInterior24Avx2(const FilterRowTaps& taps, size_t rowBytes, BYTE* out);
#endif

}  // namespace velmoro

#endif
