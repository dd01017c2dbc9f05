// Image output for every subcommand: BMP, or JPEG through the codec's write
// mode when the name ends in .jpg or .jpeg; whole or not at all.
#ifndef VELMORO_TOOLS_IMAGE_OUTPUT_H
#define VELMORO_TOOLS_IMAGE_OUTPUT_H

#include <velmoro/dib.h>
#include <velmoro/picture_io.h>

#include <string>

namespace velmoro_tool {

constexpr int kDefaultJpegQuality = 90;

bool IsJpegName(const std::string& path);

// Writes a 24-bit image as a baseline JPEG of the given quality (1 to 100).
// DIB_ERR_EMPTY, DIB_ERR_NOT_24BIT (convert first), DIB_ERR_JPEG without a
// codec, DIB_ERR_WRITE when the codec refuses or the file cannot be written.
DWORD WriteJpegFile(const CDib& image, const std::string& path, int quality);

// PICTURE_FORMAT_JPEG for a name ending in .jpg or .jpeg, else PICTURE_FORMAT_BMP.
int FormatForName(const std::string& path);

// Writes the image in `format` (PICTURE_FORMAT_AUTO: the one its name asks for;
// a JPEG from a 24-bit copy), throwing a Failure that names the file.
void SaveOutput(CDib& image, const std::string& path, int jpegQuality = kDefaultJpegQuality,
                int format = PICTURE_FORMAT_AUTO);

}  // namespace velmoro_tool

#endif
