// SPDX-License-Identifier: MIT
// Row copies into a freshly allocated result block. A large result is written
// with streaming stores: its lines are not in any cache, and ordinary stores
// would first read each line from memory only to overwrite it.
#ifndef VELMORO_SRC_EDIT_ROW_COPY_H
#define VELMORO_SRC_EDIT_ROW_COPY_H

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

// memcpy, or the same bytes by streaming stores when streaming is set.
void CopyRowBytes(BYTE* dst, const BYTE* src, size_t bytes, bool streaming);

// Orders the streaming stores before the block is handed on.
void FinishStreamingStores(bool streaming);

}  // namespace velmoro

#endif
