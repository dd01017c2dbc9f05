// SPDX-License-Identifier: MIT
// velmoro info: what each BMP, PNG or JPEG file is read as, and how it is stored,
// from its headers alone.
#include "command.h"
#include "standard_streams.h"

#include <velmoro/picture_io.h>

#include <cstdio>
#include <string>
#include <vector>

namespace velmoro_tool {
namespace {

const char* FormatName(int format)
{
    switch (format) {
    case PICTURE_FORMAT_BMP: return "BMP";
    case PICTURE_FORMAT_PNG: return "PNG";
    default: return "JPEG";
    }
}

// How the file stores the picture: "BMP, 4 bits, compression 2, top-down".
std::string Stored(const PictureInfo& info)
{
    std::string text = std::string(FormatName(info.format)) + ", " + std::to_string(info.bitCount) + " bits";
    if (info.compression != 0)
        text += ", compression " + std::to_string(info.compression);
    if (info.hasAlpha)
        text += ", alpha";
    if (info.topDown)
        text += ", top-down";
    return text;
}

// Standard input ("-") is read whole; a file's headers are read alone.
DWORD ReadInfo(const std::string& file, PictureInfo& info)
{
    if (!IsStandardStream(file))
        return ReadPictureInfo(file.c_str(), info);
    std::vector<BYTE> data;
    return ReadStandardInput(data) ? ReadPictureInfo(data.data(), data.size(), info) : DIB_ERR_FILE_IO;
}

// Every file is described or reported, so one bad file does not hide the others.
int RunInfo(const Arguments& args)
{
    int status = 0;
    for (const std::string& file : args.List("FILE...")) {
        PictureInfo info{};
        const DWORD code = ReadInfo(file, info);
        if (code != DIB_OK) {
            status = ReportFailure(ReadFailure(file, code));
            continue;
        }
        // 64 bits: a picture of no rows may have 2^31 - 1 columns.
        const long long stride = ((static_cast<long long>(info.width) * info.imageBitCount + 31) >> 3) & ~3LL;
        std::printf("%s: %d x %d, %d bits, compression %u, %d colour entries, stride %lld; stored as %s\n",
                    InputName(file).c_str(), info.width, info.height, info.imageBitCount, info.imageCompression,
                    info.imageColorEntries, stride, Stored(info).c_str());
    }
    return status;
}

const CommandRegistration kInfo{{"info", "describe BMP, PNG or JPEG files as the reader reads them", "FILE...",
                                 "Prints width, height, bit count, compression, colour entries and\n"
                                 "stride of the image each file is read as (a JPEG as the 24-bit image\n"
                                 "it decodes to), then how the file stores it, from the headers alone;\n"
                                 "or the reader's result code.\n\n"
                                 "example: velmoro info photo.jpg sprite.bmp",
                                 RunInfo}};

}  // namespace
}  // namespace velmoro_tool
