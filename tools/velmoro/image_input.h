// Image input for every subcommand: BMP or JPEG, told apart by content.
#ifndef VELMORO_TOOLS_IMAGE_INPUT_H
#define VELMORO_TOOLS_IMAGE_INPUT_H

#include <velmoro/dib.h>
#include <velmoro/jpeg.h>

#include <string>
#include <vector>

namespace velmoro_tool {

// The project's codec module, loaded on a thread's first use; NULL when it
// cannot be loaded.
CJPeg* SharedJpegCodec();

// Loads a JPEG (a file starting FF D8 FF) through the codec, anything else as
// BMP: through CDib::Load, and when that refuses the header, the compression
// or top-down rows, through the tolerant reader (LoadBmpTolerant). Result codes
// as the loaders give them; DIB_ERR_OPEN when the file cannot be opened,
// DIB_ERR_JPEG for a JPEG without a codec.
// "-" reads all of standard input (DIB_ERR_FILE_IO when it cannot be read).
DWORD LoadImageFile(const std::string& path, CDib& image);

// The same for a picture held in memory.
DWORD LoadImageData(const std::vector<BYTE>& data, CDib& image);

// LoadImageFile, throwing a Failure that names the file.
void LoadInput(const std::string& path, CDib& image);

}  // namespace velmoro_tool

#endif
