#include "image_input.h"

#include "command.h"

#include <velmoro/picture_io.h>
#include <velmoro/platform/file.h>

namespace velmoro_tool {

DWORD LoadImageFile(const std::string& path, CDib& image)
{
    try {
        return LoadPicture(image, path.c_str());
    } catch (CFileException* error) {
        error->Delete();
        return DIB_ERR_FILE_IO;
    }
}

void LoadInput(const std::string& path, CDib& image)
{
    Check(LoadImageFile(path, image), path);
}

}  // namespace velmoro_tool
