// velmoro info: what the loaders make of each BMP or JPEG file.
#include "command.h"
#include "image_input.h"

#include <velmoro/dib.h>

#include <cstdio>

namespace velmoro_tool {
namespace {

int RunInfo(const std::vector<std::string>& files)
{
    if (files.empty())
        return ReportError("info: no file given (see velmoro info --help)");
    int status = 0;
    for (const std::string& file : files) {
        CDib image;
        const DWORD code = LoadImageFile(file, image);
        if (code != DIB_OK) {
            ReportFailure(file, code);
            status = 1;
            continue;
        }
        const int stride = ((image.GetWidth() * image.GetBitCount() + 31) >> 3) & ~3;
        std::printf("%s: %d x %d, %d bits, compression %u, %d colour entries, stride %d\n",
                    file.c_str(), image.GetWidth(), image.GetHeight(), image.GetBitCount(),
                    image.GetCompression(), image.GetNumColorEntry(), stride);
    }
    return status;
}

const CommandRegistration kInfo{{"info", "describe BMP or JPEG files as the loaders read them",
                                 "usage: velmoro info FILE...\n\n"
                                 "Prints width, height, bit count, compression, colour entries and\n"
                                 "stride of each file (a JPEG as the 24-bit image it decodes to), or\n"
                                 "the loader's result code.\n\n"
                                 "example: velmoro info photo.jpg sprite.bmp",
                                 RunInfo}};

}  // namespace
}  // namespace velmoro_tool
