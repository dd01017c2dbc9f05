// SPDX-License-Identifier: MIT
#include "image_input.h"

#include "command.h"
#include "standard_streams.h"

#include <velmoro/picture_io.h>
#include <velmoro/platform/file.h>

namespace velmoro_tool {

DWORD LoadImageData(const std::vector<BYTE>& data, CDib& image)
{
    return LoadPicture(image, data.data(), data.size(), DefaultPictureReadOptions());
}

DWORD LoadImageFile(const std::string& path, CDib& image)
{
    if (IsStandardStream(path)) {
        std::vector<BYTE> data;
        return ReadStandardInput(data) ? LoadImageData(data, image) : DIB_ERR_FILE_IO;
    }
    try {
        return LoadPicture(image, path.c_str());
    } catch (CFileException* error) {
        error->Delete();
        return DIB_ERR_FILE_IO;
    }
}

void LoadInput(const std::string& path, CDib& image)
{
    if (const DWORD code = LoadImageFile(path, image))
        throw ReadFailure(path, code);
}

}  // namespace velmoro_tool
