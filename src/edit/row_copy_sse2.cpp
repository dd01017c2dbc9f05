// SPDX-License-Identifier: MIT
// Streaming row copies, and the result size from which they pay. SSE2 is part of
// every x86-64 processor; elsewhere the copy is a plain memcpy.
#include "edit/row_copy.h"

#include <velmoro/types.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmoro {

namespace {

// Set by the tests, so that the streaming path runs on any machine; 0 leaves the
// machine's own measure.
std::atomic<uint64_t> g_forcedStreamingBytes{0};

}  // namespace

uint64_t StreamingBlockBytes()
{
    const uint64_t forced = g_forcedStreamingBytes.load(std::memory_order_relaxed);
    if (forced != 0)
        return forced;
    static const uint64_t bytes = [] {
        constexpr uint64_t kLeast = uint64_t{4} << 20;
#if defined(_SC_LEVEL3_CACHE_SIZE)
        const long cache = sysconf(_SC_LEVEL3_CACHE_SIZE);
        const long processors = sysconf(_SC_NPROCESSORS_ONLN);
        if (cache > 0 && processors > 0)
            return std::max(kLeast, static_cast<uint64_t>(cache) / 4 * 3 / static_cast<uint64_t>(processors));
#endif
        return kLeast;
    }();
    return bytes;
}

#if defined(__SSE2__)

namespace {

// Streaming stores need 16-byte aligned targets: an unaligned head and the
// tail go through memcpy.
void StreamBytes(BYTE* dst, const BYTE* src, size_t bytes)
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

}  // namespace

void CopyRowBytes(BYTE* dst, const BYTE* src, size_t bytes, bool streaming)
{
    if (streaming)
        StreamBytes(dst, src, bytes);
    else
        std::memcpy(dst, src, bytes);
}

void FinishStreamingStores(bool streaming)
{
    if (streaming)
        _mm_sfence();
}

#else

void CopyRowBytes(BYTE* dst, const BYTE* src, size_t bytes, bool)
{
    std::memcpy(dst, src, bytes);
}

void FinishStreamingStores(bool) {}

#endif

}  // namespace velmoro

// Exported for the tests only, under a name that says so.
extern "C" VELMORO_API void velmoro_test_stream_results_from(uint64_t bytes)
{
    velmoro::g_forcedStreamingBytes.store(bytes, std::memory_order_relaxed);
}
