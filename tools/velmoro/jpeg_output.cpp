#include "jpeg_output.h"

#include "image_input.h"

#include <cstdio>
#include <unistd.h>

namespace velmoro_tool {

DWORD WriteJpegFile(const CDib& image, const std::string& path, int quality)
{
    if (image.IsEmpty())
        return DIB_ERR_EMPTY;
    if (image.GetBitCount() != 24)
        return DIB_ERR_NOT_24BIT;
    CJPeg* codec = SharedJpegCodec();
    if (!codec || codec->JpgInitConversion() != IJL_OK)
        return DIB_ERR_JPEG;

    const std::string temporary = path + ".velmoro-" + std::to_string(getpid()) + ".tmp";
    JPEG_CORE_PROPERTIES& record = *codec->JpgGetProperties();
    const DWORD width = static_cast<DWORD>(image.GetWidth());
    record.DIBBytes = image.GetBmpBitsAddress();
    record.DIBWidth = width;
    record.DIBHeight = -image.GetHeight();  // bottom-up rows give a negative height
    record.DIBPadBytes = ((3 * width + 3) & ~3u) - 3 * width;
    record.DIBChannels = 3;
    record.DIBColor = IJL_BGR;
    record.JPGQuality = static_cast<DWORD>(quality);
    codec->JpgSetJPegFilePath(temporary.c_str());
    const IJLERR written = codec->JpgFileWriteImage();
    codec->JpgEndConversion();
    if (written != IJL_OK)
        return DIB_ERR_WRITE;  // the codec removes what it wrote
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return DIB_ERR_WRITE;
    }
    return DIB_OK;
}

}  // namespace velmoro_tool
