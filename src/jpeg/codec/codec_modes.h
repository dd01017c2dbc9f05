// SPDX-License-Identifier: MIT
// The codec's work behind ijlRead and ijlWrite, one function per direction.
#ifndef VELMORO_SRC_JPEG_CODEC_CODEC_MODES_H
#define VELMORO_SRC_JPEG_CODEC_CODEC_MODES_H

#include <velmoro/jpeg.h>

namespace velmoro_codec {

// Reads the header of the file or stream the record names (JPGWidth, JPGHeight,
// JPGChannels), or with `wholeImage` decodes its picture into the DIB fields.
IJLERR ReadJpeg(JPEG_CORE_PROPERTIES& record, bool fromFile, bool wholeImage);

// Encodes the DIB fields' picture as a baseline JPEG (chroma sampled as
// DIBSubsampling says) into the file named by
// JPGFile (removed again on failure) or into JPGBytes (up to JPGSizeBytes,
// which then gives the bytes written).
IJLERR WriteJpeg(JPEG_CORE_PROPERTIES& record, bool toFile);

}  // namespace velmoro_codec

#endif
