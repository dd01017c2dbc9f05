// velmoro info: what the loaders make of each BMP or JPEG file.
#include "command.h"
#include "image_input.h"
#include "standard_streams.h"

#include <velmoro/dib.h>

#include <cstdio>

namespace velmoro_tool {
namespace {

// Every file is described or reported, so one bad file does not hide the others.
int RunInfo(const Arguments& args)
{
    int status = 0;
    for (const std::string& file : args.List("FILE...")) {
        CDib image;
        const DWORD code = LoadImageFile(file, image);
        if (code != DIB_OK) {
            status = ReportFailure(ReadFailure(file, code));
            continue;
        }
        // 64 bits: a picture of no rows may have 2^31 - 1 columns.
        const long long stride = ((static_cast<long long>(image.GetWidth()) * image.GetBitCount() + 31) >> 3) & ~3LL;
        std::printf("%s: %d x %d, %d bits, compression %u, %d colour entries, stride %lld\n", InputName(file).c_str(),
                    image.GetWidth(), image.GetHeight(), image.GetBitCount(), image.GetCompression(),
                    image.GetNumColorEntry(), stride);
    }
    return status;
}

const CommandRegistration kInfo{{"info", "describe BMP or JPEG files as the loaders read them", "FILE...",
                                 "Prints width, height, bit count, compression, colour entries and\n"
                                 "stride of each file (a JPEG as the 24-bit image it decodes to), or\n"
                                 "the loader's result code.\n\n"
                                 "example: velmoro info photo.jpg sprite.bmp",
                                 RunInfo}};

}  // namespace
}  // namespace velmoro_tool
