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

}  // namespace velmoro

#endif
