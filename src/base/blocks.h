// SPDX-License-Identifier: MIT
// The one allocation path for image blocks and other buffers the library owns.
#ifndef VELMORO_SRC_BASE_BLOCKS_H
#define VELMORO_SRC_BASE_BLOCKS_H

#include <velmoro/internal/dib_layout.h>
#include <velmoro/types.h>

#include <cstdint>
#include <memory>

namespace velmoro {

// malloc underneath; NULL when size exceeds kMaxBlockBytes or memory is short.
// A size of 0 still gives a distinct block.
void* AllocateBlock(uint64_t size);
void FreeBlock(void* block);

struct BlockDeleter {
    void operator()(void* block) const noexcept { FreeBlock(block); }
};

template <typename T>
using BlockPtr = std::unique_ptr<T, BlockDeleter>;

template <typename T = BYTE>
BlockPtr<T> MakeBlock(uint64_t size)
{
    return BlockPtr<T>(static_cast<T*>(AllocateBlock(size)));
}

}  // namespace velmoro

#endif
