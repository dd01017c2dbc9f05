// JPEG output for the velmoro program, through the codec's file write mode.
#ifndef VELMORO_TOOLS_JPEG_OUTPUT_H
#define VELMORO_TOOLS_JPEG_OUTPUT_H

#include <velmoro/dib.h>

#include <string>

namespace velmoro_tool {

// Writes a 24-bit image as a baseline JPEG of the given quality (1 to 100), whole
// or not at all: under a temporary name in the same folder, then renamed.
// DIB_ERR_EMPTY, DIB_ERR_NOT_24BIT (convert first), DIB_ERR_JPEG without a
// codec, DIB_ERR_WRITE when the codec refuses or the file cannot be written.
DWORD WriteJpegFile(const CDib& image, const std::string& path, int quality);

}  // namespace velmoro_tool

#endif
