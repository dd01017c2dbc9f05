#include "core/blocks.h"

#include <cstdlib>

namespace velmoro {

void* AllocateBlock(uint64_t size)
{
    if (size > kMaxBlockBytes)
        return nullptr;
    return std::malloc(size == 0 ? 1 : static_cast<size_t>(size));
}

void FreeBlock(void* block)
{
    std::free(block);
}

}  // namespace velmoro
