// SPDX-License-Identifier: MIT
// Streaming row copies by SSE2, part of every x86-64 processor.
#include "edit/row_copy.h"

#include <cstring>

#include <emmintrin.h>

namespace velmoro {

// Streaming stores need 16-byte aligned targets: an unaligned head and the
// tail go through memcpy.
void StreamBytesSse2(BYTE* dst, const BYTE* src, size_t bytes)
{
    const size_t misalignment = reinterpret_cast<uintptr_t>(dst) & 15;
    size_t done = misalignment == 0 ? 0 : 16 - misalignment;
    if (done >= bytes) {
        std::memcpy(dst, src, bytes);
        return;
    }
    std::memcpy(dst, src, done);
    for (; done + 64 <= bytes; done += 64) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done + 32));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done + 48));
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + done), a);
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + done + 16), b);
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + done + 32), c);
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + done + 48), d);
    }
    for (; done + 16 <= bytes; done += 16)
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + done),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + done)));
    std::memcpy(dst + done, src + done, bytes - done);
}

void FinishStreamingSse2()
{
    _mm_sfence();
}

}  // namespace velmoro
