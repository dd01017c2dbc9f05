// SPDX-License-Identifier: MIT
// The caller's DIB buffer as the record's DIB fields describe it: DIBWidth
// 3-byte pixels and DIBPadBytes pad bytes per row, |DIBHeight| rows, stored
// bottom-up when DIBHeight is negative. All offsets in 64 bits.
#ifndef VELMORO_SRC_JPEG_CODEC_DIB_ROWS_H
#define VELMORO_SRC_JPEG_CODEC_DIB_ROWS_H

#include <velmoro/jpeg.h>

#include <cstdint>
#include <cstring>

namespace velmoro_codec {

inline uint64_t DibRowCount(const JPEG_CORE_PROPERTIES& record)
{
    const int64_t height = record.DIBHeight;
    return static_cast<uint64_t>(height < 0 ? -height : height);
}

class DibRows {
public:
    explicit DibRows(const JPEG_CORE_PROPERTIES& record)
        : m_bits(record.DIBBytes),
          m_pixelBytes(3ull * record.DIBWidth),
          m_stride(m_pixelBytes + record.DIBPadBytes),
          m_rowCount(DibRowCount(record)),
          m_bottomUp(record.DIBHeight < 0)
    {
    }

    // Picture row `row`, 0 being the top one.
    BYTE* Row(uint64_t row) const { return m_bits + m_stride * (m_bottomUp ? m_rowCount - 1 - row : row); }
    void ClearPad(BYTE* row) const
    {
        if (m_stride > m_pixelBytes)
            std::memset(row + m_pixelBytes, 0, m_stride - m_pixelBytes);
    }

private:
    BYTE* m_bits;
    uint64_t m_pixelBytes;
    uint64_t m_stride;
    uint64_t m_rowCount;
    bool m_bottomUp;
};

}  // namespace velmoro_codec

#endif
