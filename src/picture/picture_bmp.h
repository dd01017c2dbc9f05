// SPDX-License-Identifier: MIT
// The BMP reader for every form in common use: 12-, 16-, 40-, 52-, 56-, 64-,
// 108- and 124-byte headers, run-length compression, top-down rows, any
// bit-field masks, and 1, 2, 4, 8, 16, 24, 32 and 64 bits per pixel.
//
// What it makes: indexed pictures become 8 bits with the file's colour table
// (never longer than the pixels can index, never past where the pixels
// begin); 16-bit pictures stay 16 bits when they are 5-5-5 (BI_RGB) or 5-6-5;
// everything else becomes 24 bits, channels under any mask widened to 8 bits
// by repeating their bits (narrowed with rounding). 64-bit pixels are linear light and are encoded as
// sRGB. An alpha mask, where the header has one, feeds the alpha rule.
//
// Run-length streams: runs, absolute runs and deltas that reach past the end
// of a row are clipped at the row end; anything past the last row ends the
// picture; pixels the stream never reaches are index 0. A stream that stops
// early (no end-of-picture mark, or an operation whose bytes are cut off)
// keeps what it drew.
#ifndef VELMORO_SRC_PICTURE_PICTURE_BMP_H
#define VELMORO_SRC_PICTURE_PICTURE_BMP_H

#include <velmoro/picture_io.h>

#include "picture/picture_blocks.h"

#include <cstdint>

namespace velmoro {

// Bytes from the start of a file that hold every header and mask: the largest
// header, and the masks a 40-byte header may have behind it.
constexpr uint64_t kBmpHeadersBytes = 14 + 124 + 16;

// What the headers say. `data` holds the file's first `available` bytes (all
// of kBmpHeadersBytes when the file is that long); `fileSize` is the whole
// file's. DIB_OK, or:
// DIB_ERR_FILE_IO    the file is shorter than its headers or colour table need;
// DIB_ERR_NOT_BMP    it does not start with "BM";
// DIB_ERR_BAD_HEADER an unknown header size, or fields that contradict each
//                    other (bit count, compression, width);
// DIB_ERR_COMPRESSED JPEG, PNG, Huffman, RLE24 or another unknown compression.
DWORD ReadBmpInfo(const BYTE* data, uint64_t available, uint64_t fileSize, PictureInfo& info);

// Reads the whole file in `data`: the codes above, DIB_ERR_FILE_IO for pixels
// cut short, DIB_ERR_NO_MEMORY for a picture the record cannot hold or a
// run-length stream far too short for the picture it claims.
DWORD ReadBmp(const BYTE* data, uint64_t size, const PictureReadOptions& options, PictureBlocks& picture);

}  // namespace velmoro

#endif
