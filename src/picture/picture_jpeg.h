// SPDX-License-Identifier: MIT
// JPEG pictures through the project's codec module, which is loaded once and
// kept for the life of the process.
#ifndef VELMORO_SRC_PICTURE_PICTURE_JPEG_H
#define VELMORO_SRC_PICTURE_PICTURE_JPEG_H

#include <velmoro/picture_io.h>

#include <cstdint>

namespace velmoro {

// The whole JPEG stream in `data` decoded into a 24-bit image, as LoadJPEG
// decodes it: DIB_OK, DIB_ERR_FILE_IO for a stream the codec refuses,
// DIB_ERR_NO_MEMORY, or DIB_ERR_JPEG when no codec can be loaded.
DWORD ReadJpeg(CDib& image, const BYTE* data, uint64_t size);

// Size and channels from the stream's headers, or from the named file's,
// without decoding the picture; the codes above.
DWORD ReadJpegInfo(const BYTE* data, uint64_t size, PictureInfo& info);
DWORD ReadJpegInfo(const char* path, PictureInfo& info);

// Encodes the image (any depth the graphics layer reads, through 24 bits) with
// the options' quality and chroma sampling; an indexed image whose colours are
// all grey becomes a grey JPEG. DIB_OK, DIB_ERR_EMPTY for an image without
// pixels, DIB_ERR_BAD_DEPTH, DIB_ERR_NO_MEMORY, DIB_ERR_JPEG when no codec can
// be loaded or it refuses the picture, DIB_ERR_WRITE when the file refuses
// the bytes.
DWORD WriteJpeg(const CDib& image, const PictureWriteOptions& options, CFile& out);

}  // namespace velmoro

#endif
