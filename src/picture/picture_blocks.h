// SPDX-License-Identifier: MIT
// A picture being read: both blocks of its image record, built whole before
// they replace an image's content. Readers address rows from the top of the
// picture; the blocks store them bottom-up like every image.
#ifndef VELMORO_SRC_PICTURE_PICTURE_BLOCKS_H
#define VELMORO_SRC_PICTURE_PICTURE_BLOCKS_H

#include <velmoro/dib.h>

#include "base/blocks.h"
#include "base/dib_layout.h"

#include <cstdint>

namespace velmoro {

class PictureBlocks {
public:
    // Both blocks for a width x height picture: 8 bits with `entries` colour
    // entries (left for the reader to fill), 16 bits as 5-5-5 (BI_RGB) or 5-6-5
    // (BI_BITFIELDS with its masks), or 24 bits. DIB_ERR_BAD_HEADER for a table
    // the depth cannot have (8 bits: 1 to 256 entries, others none),
    // DIB_ERR_NO_MEMORY for a size the record cannot hold or an allocation that fails.
    DWORD Make(uint64_t width, uint64_t height, int bitCount, DWORD compression, uint64_t entries);

    uint64_t Width() const { return m_width; }
    uint64_t Height() const { return m_height; }
    uint64_t Stride() const { return m_stride; }
    uint64_t PixelBytes() const { return m_stride * m_height; }
    BYTE* Bits() const { return m_bits.get(); }
    // Picture row y, 0 being the top one.
    BYTE* Row(uint64_t y) const
    {
        return PictureRow(m_bits.get(), static_cast<int64_t>(m_stride), static_cast<int64_t>(m_height),
                          static_cast<int64_t>(y));
    }
    // The bytes behind the pixels of every row set to 0.
    void ClearPadding() const;
    RGBQUAD* ColorTable() const;
    BITMAPINFOHEADER& Header() const { return m_info->bmiHeader; }

    // Gives the image both blocks; this object is empty afterwards.
    void Install(CDib& image);

private:
    BlockPtr<BITMAPINFO> m_info;
    BlockPtr<BYTE> m_bits;
    uint64_t m_width = 0;
    uint64_t m_height = 0;
    uint64_t m_stride = 0;
    int m_bitCount = 0;
};

// `levels` evenly spaced greys from black to white (2 to 256 of them).
void WriteGreyTable(RGBQUAD* table, unsigned levels);

}  // namespace velmoro

#endif
