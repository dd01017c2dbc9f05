#include "image_output.h"

#include "args.h"
#include "command.h"
#include "image_input.h"

#include <velmoro/dib_edit.h>

#include <algorithm>
#include <cctype>

namespace velmoro_tool {

bool IsJpegName(const std::string& path)
{
    const size_t dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "jpg" || extension == "jpeg";
}

DWORD WriteJpegFile(const CDib& image, const std::string& path, int quality)
{
    if (image.IsEmpty())
        return DIB_ERR_EMPTY;
    if (image.GetBitCount() != 24)
        return DIB_ERR_NOT_24BIT;
    CJPeg* codec = SharedJpegCodec();
    if (!codec || codec->JpgInitConversion() != IJL_OK)
        return DIB_ERR_JPEG;
    JPEG_CORE_PROPERTIES& record = *codec->JpgGetProperties();
    const DWORD width = static_cast<DWORD>(image.GetWidth());
    record.DIBBytes = image.GetBmpBitsAddress();
    record.DIBWidth = width;
    record.DIBHeight = -image.GetHeight();  // bottom-up rows give a negative height
    record.DIBPadBytes = ((3 * width + 3) & ~3u) - 3 * width;
    record.DIBChannels = 3;
    record.DIBColor = IJL_BGR;
    record.JPGQuality = static_cast<DWORD>(quality);
    const bool written = WriteWholeOrNothing(path, [&](const std::string& temp) {
        codec->JpgSetJPegFilePath(temp.c_str());
        return codec->JpgFileWriteImage() == IJL_OK;
    });
    codec->JpgEndConversion();
    return written ? DIB_OK : DIB_ERR_WRITE;
}

int FormatForName(const std::string& path)
{
    return IsJpegName(path) ? PICTURE_FORMAT_JPEG : PICTURE_FORMAT_BMP;
}

void SaveOutput(CDib& image, const std::string& path, int jpegQuality, int format)
{
    if (format == PICTURE_FORMAT_AUTO)
        format = FormatForName(path);
    if (format == PICTURE_FORMAT_PNG)
        throw Failure(path, "PNG output is not available in this build");
    if (format == PICTURE_FORMAT_BMP) {
        int error = 0;
        if (const DWORD code = WriteBmpWhole(image, path, &error))
            throw WriteFailure(path, code, error);
        return;
    }
    const auto writeJpeg = [&](const CDib& picture) {
        if (const DWORD code = WriteJpegFile(picture, path, jpegQuality))
            throw WriteFailure(path, code, 0);
    };
    if (image.IsEmpty() || image.GetBitCount() == 24) {
        writeJpeg(image);
        return;
    }
    CDibEdit copy;
    Check(copy.CopyDib(image), path);
    CheckOperation(copy.ConvertTo24BitPerPixel(), path, image);
    writeJpeg(copy);
}

}  // namespace velmoro_tool
