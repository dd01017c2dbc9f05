#include "image_input.h"

#include "command.h"

#include <velmoro/platform/file.h>

namespace velmoro_tool {
namespace {

bool StartsAsJpeg(CFile& file)
{
    BYTE start[3] = {};
    return file.Read(start, sizeof start) == sizeof start && start[0] == 0xFF && start[1] == 0xD8 &&
           start[2] == 0xFF;
}

}  // namespace

CJPeg* SharedJpegCodec()
{
    static CJPeg codec;
    static const bool loaded = codec.InitJPEGLibrary(NULL) != 0;
    return loaded ? &codec : nullptr;
}

DWORD LoadImageFile(const std::string& path, CDib& image)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead))
        return DIB_ERR_OPEN;
    try {
        // Both loaders read from the first byte, wherever the sniffing left the file.
        if (!StartsAsJpeg(file))
            return image.Load(file, 1);
        CJPeg* codec = SharedJpegCodec();
        if (!codec)
            return DIB_ERR_JPEG;
        return image.LoadJPEG(*codec, file, 1);
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
