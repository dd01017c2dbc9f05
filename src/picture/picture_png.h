// SPDX-License-Identifier: MIT
// PNG pictures through libpng: every colour type, bit depth and interlace.
//
// What a read makes: palette pictures become 8 bits with their palette; grey
// becomes 8 bits with a grey table (2, 4, 16 or 256 levels); colour becomes
// 24 bits; 16-bit channels are scaled to 8 bits with rounding. A palette's or
// a grey level's transparency settles the table entries; any other alpha
// settles each pixel, which makes grey pictures 24 bits unless the alpha is
// dropped.
#ifndef VELMORO_SRC_PICTURE_PICTURE_PNG_H
#define VELMORO_SRC_PICTURE_PICTURE_PNG_H

#include <velmoro/picture_io.h>

#include "picture/picture_blocks.h"

#include <vector>

class CFile;

namespace velmoro {

// Reads from the file's present position: DIB_OK, DIB_ERR_FILE_IO for data
// cut short, corrupt (a bad checksum in a critical chunk or in the
// compressed data) or too short for the picture it claims, DIB_ERR_NO_MEMORY.
// The file object's exceptions pass, as CDib::Load lets them pass.
DWORD ReadPng(CFile& file, const PictureReadOptions& options, PictureBlocks& picture);

// The chunks before the pixels only; the same codes.
DWORD ReadPngInfo(CFile& file, PictureInfo& info);

// Writes a palette PNG of the same depth for a 1, 2, 4 or 8-bit image, an
// 8-bit RGB one for any other depth the graphics layer reads; with
// PICTURE_ALPHA_KEY, pixels of the key colour are marked transparent.
// DIB_OK, DIB_ERR_EMPTY for an image without pixels, DIB_ERR_BAD_DEPTH,
// DIB_ERR_NO_MEMORY, or DIB_ERR_WRITE when the file refuses the bytes.
DWORD WritePng(const CDib& image, const PictureWriteOptions& options, CFile& out);

}  // namespace velmoro

#endif
