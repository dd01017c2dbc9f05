// SPDX-License-Identifier: MIT
#include "picture/picture_rows.h"

#include "base/dib_layout.h"

namespace velmoro {

DWORD BgrRowReader::Open(const CDib& image)
{
    const BITMAPINFO* info = image.GetBmpInfoAddress();
    if (!gdi::ReadDibFormat(info, m_format))
        return DIB_ERR_BAD_DEPTH;
    m_width = static_cast<uint64_t>(info->bmiHeader.biWidth);
    m_height = static_cast<uint64_t>(info->bmiHeader.biHeight);
    m_stride = static_cast<uint64_t>(RowStride(info->bmiHeader));
    m_bits = image.GetBmpBitsAddress();
    m_pixels = MakeBlock<gdi::Xrgb>(sizeof(gdi::Xrgb) * m_width);
    return m_pixels ? DIB_OK : DIB_ERR_NO_MEMORY;
}

void BgrRowReader::Read(uint64_t y, BYTE* bgr) const
{
    const gdi::Xrgb* pixels = m_pixels.get();
    gdi::DecodeRow(PictureRow(m_bits, static_cast<int64_t>(m_stride), static_cast<int64_t>(m_height), static_cast<int64_t>(y)), 0,
                   static_cast<int64_t>(m_width), m_format, m_pixels.get());
    for (uint64_t x = 0; x < m_width; ++x, bgr += 3) {
        bgr[0] = static_cast<BYTE>(pixels[x]);
        bgr[1] = static_cast<BYTE>(pixels[x] >> 8);
        bgr[2] = static_cast<BYTE>(pixels[x] >> 16);
    }
}

}  // namespace velmoro
