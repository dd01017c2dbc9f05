// SPDX-License-Identifier: MIT
#include "image_output.h"

#include "command.h"

#include <velmoro/picture_io.h>

namespace velmoro_tool {

int FormatForName(const std::string& path)
{
    const int format = PictureFormatFromPath(path.c_str());
    if (format == PICTURE_FORMAT_AUTO)
        throw UsageError(path + ": velmoro writes .bmp, .png and .jpg (or .jpeg) pictures; the name says which");
    return format;
}

JpegSettings JpegSettingsFrom(const Arguments& args, int format)
{
    const bool jpeg = format == PICTURE_FORMAT_JPEG || format == PICTURE_FORMAT_AUTO;
    for (const char* option : {"--quality", "--subsampling"})
        if (!jpeg && args.Has(option))
            throw UsageError(std::string(option) + " goes with JPEG output (OUT ending in .jpg or .jpeg, or --format jpeg)");
    JpegSettings settings;
    settings.quality = args.Int("--quality", 1, 100, kDefaultJpegQuality);
    const std::string sampling = args.Text("--subsampling", "");
    if (!sampling.empty()) {
        if (sampling != "444" && sampling != "422" && sampling != "420")
            throw UsageError("--subsampling takes 444, 422 or 420, not '" + sampling + "'");
        settings.subsampling = std::stoi(sampling);
    }
    return settings;
}

void SaveOutput(CDib& image, const std::string& path, const JpegSettings& jpeg, int format)
{
    PictureWriteOptions options =
        DefaultPictureWriteOptions(format == PICTURE_FORMAT_AUTO ? FormatForName(path) : format);
    options.jpegQuality = jpeg.quality;
    options.jpegSubsampling = jpeg.subsampling;
    // The format is fixed here: the temporary file's name says nothing.
    DWORD code = DIB_ERR_WRITE;
    int error = 0;
    const bool written = WriteWholeOrNothing(
        path,
        [&](const std::string& temp) {
            code = WritePicture(image, temp.c_str(), options);
            return code == DIB_OK;
        },
        &error);
    if (!written)
        throw WriteFailure(path, code == DIB_OK ? DIB_ERR_WRITE : code, error);
}

}  // namespace velmoro_tool
