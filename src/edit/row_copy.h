// SPDX-License-Identifier: MIT
// Row copies into a freshly allocated result block. A large result is written
// with streaming stores: its lines are not in any cache, and ordinary stores
// would first read each line from memory only to overwrite it.
#ifndef VELMORO_SRC_EDIT_ROW_COPY_H
#define VELMORO_SRC_EDIT_ROW_COPY_H

#include "base/cpu_features.h"

#include <velmoro/types.h>

#include <cstddef>
#include <cstdint>

namespace velmoro {

// From this size on a result outgrows the caches a following operation could find
// it in: three quarters of one processor's share of the last-level cache, the
// C library's memcpy's own measure, and at least 4 MB. Below it, streaming stores
// would send to memory what ordinary stores leave in the cache.
uint64_t StreamingBlockBytes();

inline bool PrefersStreamingStores(uint64_t blockBytes)
{
    return blockBytes >= StreamingBlockBytes();
}

// copy gives the bytes memcpy gives; finish orders a block's copies before the
// block is handed on. The plain rows are memcpy and nothing.
struct RowCopyRows {
    void (*copy)(BYTE* dst, const BYTE* src, size_t bytes);
    void (*finish)();
};

#if VELMORO_X86
void StreamBytesSse2(BYTE* dst, const BYTE* src, size_t bytes);
void FinishStreamingSse2();
#endif

// How the rows of one result block are copied: by memcpy, or by the widest
// streaming rows when streaming is set.
class RowCopier {
public:
    explicit RowCopier(bool streaming);
    void Copy(BYTE* dst, const BYTE* src, size_t bytes) const { m_rows.copy(dst, src, bytes); }
    void Finish() const { m_rows.finish(); }

private:
    const RowCopyRows& m_rows;
};

}  // namespace velmoro

#endif
