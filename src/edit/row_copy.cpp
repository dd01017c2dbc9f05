// SPDX-License-Identifier: MIT
// Row copies into a result block, and the result size from which streaming stores
// pay, on any processor.
#include "edit/row_copy.h"

#include "edit/row_tables.h"

#include <velmoro/internal/test_switches.h>
#include <velmoro/types.h>

#include <algorithm>
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
constexpr RowLadder<RowCopyRows> kRowCopyRows = VELMORO_ROW_LADDER(&kPlainRows, &kSse2Rows, nullptr, nullptr, nullptr);

}  // namespace

RowCopier::RowCopier(bool streaming)
    : m_rows(streaming ? WidestRows(kRowCopyRows) : PlainRows(kRowCopyRows))
{
}

uint64_t StreamingBlockBytes()
{
#if defined(VELMORO_TEST_SWITCHES)
    if (const uint64_t forced = test::CurrentSwitches().streamResultsFrom)
        return forced;
#endif
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

