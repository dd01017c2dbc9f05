// SPDX-License-Identifier: MIT
#include "base/blocks.h"

#include <velmoro/internal/test_switches.h>

#include <cstdlib>

namespace velmoro {

void* AllocateBlock(uint64_t size)
{
    if (size > kMaxBlockBytes)
        return nullptr;
#if defined(VELMORO_TEST_SWITCHES)
    if (test::CountAllocation())
        return nullptr;
#endif
    return std::malloc(size == 0 ? 1 : static_cast<size_t>(size));
}

void FreeBlock(void* block)
{
    std::free(block);
}

}  // namespace velmoro
