// SPDX-License-Identifier: MIT
// The door through which the library's readers outside the image classes give
// an image its new blocks, once both are complete. It stays in core, beside the
// image record it opens: it is core's interface for the families above it (the
// picture reader today), which may include core but never the other way round.
#ifndef VELMORO_SRC_CORE_DIB_BLOCK_ACCESS_H
#define VELMORO_SRC_CORE_DIB_BLOCK_ACCESS_H

#include <velmoro/dib.h>

#include "base/blocks.h"

namespace velmoro {

class DibBlockAccess {
public:
    // Releases the image's present blocks and makes it the owner of both given ones.
    static void Replace(CDib& image, BlockPtr<BITMAPINFO> info, BlockPtr<BYTE> bits)
    {
        image.ReplaceBlocks(info.release(), bits.release());
    }
};

}  // namespace velmoro

#endif
