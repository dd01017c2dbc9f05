// SPDX-License-Identifier: MIT
// Image input for every subcommand: every BMP, PNG and JPEG the library reads.
#ifndef VELMORO_TOOLS_IMAGE_INPUT_H
#define VELMORO_TOOLS_IMAGE_INPUT_H

#include <velmoro/dib.h>

#include <string>
#include <vector>

namespace velmoro_tool {

// LoadPicture with the default options: the picture in a form every operation
// takes (alpha dropped). DIB_ERR_FILE_IO also for a read error of the file.
// "-" reads all of standard input (DIB_ERR_FILE_IO when it cannot be read).
DWORD LoadImageFile(const std::string& path, CDib& image);

// The same for a picture held in memory.
DWORD LoadImageData(const std::vector<BYTE>& data, CDib& image);

// LoadImageFile, throwing a Failure that names the file.
void LoadInput(const std::string& path, CDib& image);

}  // namespace velmoro_tool

#endif
