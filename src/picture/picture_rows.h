// SPDX-License-Identifier: MIT
// Rows of any image the graphics layer can read (1, 4, 8, 16, 24 or 32 bits)
// as blue, green, red bytes, for writers whose formats know no other depths.
#ifndef VELMORO_SRC_PICTURE_PICTURE_ROWS_H
#define VELMORO_SRC_PICTURE_PICTURE_ROWS_H

#include <velmoro/dib.h>

#include "base/blocks.h"
#include "platform/gdi_pixels.h"

#include <cstdint>

namespace velmoro {

class BgrRowReader {
public:
    // DIB_OK, DIB_ERR_BAD_DEPTH for a form it cannot read, DIB_ERR_NO_MEMORY.
    DWORD Open(const CDib& image);
    // Picture row y (0 at the top) as width blue, green, red triples.
    void Read(uint64_t y, BYTE* bgr) const;

private:
    gdi::PixelFormat m_format;
    BlockPtr<gdi::Xrgb> m_pixels;
    const BYTE* m_bits = nullptr;
    uint64_t m_stride = 0;
    uint64_t m_width = 0;
    uint64_t m_height = 0;
};

}  // namespace velmoro

#endif
