// SPDX-License-Identifier: MIT
// The image record's size rules and addresses live in one internal header that
// the tests and fuzz targets share; here the library adds how it heads a new image.
#ifndef VELMORO_SRC_BASE_DIB_LAYOUT_H
#define VELMORO_SRC_BASE_DIB_LAYOUT_H

#include <velmoro/internal/dib_layout.h>
#include <velmoro/types.h>

namespace velmoro {

// The header of a new image: 40 bytes, bottom-up rows, one plane, every field
// not named here 0.
inline BITMAPINFOHEADER NewInfoHeader(LONG width, LONG height, int bitCount, DWORD compression = BI_RGB)
{
    BITMAPINFOHEADER header{};
    header.biSize = kInfoHeaderBytes;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitCount);
    header.biCompression = compression;
    return header;
}

}  // namespace velmoro

#endif
