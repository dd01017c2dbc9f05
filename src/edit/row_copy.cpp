// SPDX-License-Identifier: MIT
// Row copies into a result block, and the result size from which streaming stores
// pay, on any processor.
#include "edit/row_copy.h"

#include "edit/row_tables.h"

#include <velmoro/types.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include <unistd.h>

namespace velmoro {
namespace {

void CopyBytesPlain(BYTE* dst, const BYTE* src, size_t bytes)
{
    std::memcpy(dst, src, bytes);
}

void FinishPlain() {}

constexpr RowCopyRows kPlainRows = {&CopyBytesPlain, &FinishPlain};
#if VELMORO_X86
constexpr RowCopyRows kSse2Rows = {&StreamBytesSse2, &FinishStreamingSse2};
#endif

// No twin: streaming stores write the bytes memcpy writes, whatever the flag says.
constexpr RowLadder<RowCopyRows> kRowCopyRows = {
    &kPlainRows,
#if VELMORO_X86
    &kSse2Rows,
#endif
};

// Set by the tests, so that the streaming path runs on any machine; 0 leaves the
// machine's own measure.
std::atomic<uint64_t> g_forcedStreamingBytes{0};

}  // namespace

RowCopier::RowCopier(bool streaming)
    : m_rows(streaming ? WidestRows(kRowCopyRows) : PlainRows(kRowCopyRows))
{
}

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

}  // namespace velmoro

// Exported for the tests only, under a name that says so.
extern "C" VELMORO_API void velmoro_test_stream_results_from(uint64_t bytes)
{
    velmoro::g_forcedStreamingBytes.store(bytes, std::memory_order_relaxed);
}
