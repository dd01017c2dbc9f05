#include "picture/picture_jpeg.h"

#include <velmoro/jpeg.h>
#include <velmoro/platform/file.h>

#include "core/blocks.h"

namespace velmoro {
namespace {

// Keeps the module mapped, so that each picture's own CJPeg finds it loaded.
bool CodecAvailable()
{
    static CJPeg resident;
    static const bool loaded = resident.InitJPEGLibrary(NULL) != 0;
    return loaded;
}

// A codec of the caller's own: a CJPeg's record serves one conversion at a time.
bool LoadCodec(CJPeg& jpeg)
{
    return CodecAvailable() && jpeg.InitJPEGLibrary(NULL) != 0;
}

template <typename ReadHeader>
DWORD ReadInfoWith(ReadHeader readHeader, PictureInfo& info)
{
    CJPeg jpeg;
    if (!LoadCodec(jpeg) || jpeg.JpgInitConversion() != IJL_OK)
        return DIB_ERR_JPEG;
    const IJLERR result = readHeader(jpeg);
    const JPEG_CORE_PROPERTIES record = *jpeg.JpgGetProperties();
    jpeg.JpgEndConversion();
    // The codec's sizes are input like any other: the image record counts in LONGs.
    if (result != IJL_OK || record.JPGWidth > INT32_MAX || record.JPGHeight > INT32_MAX || record.JPGChannels > 4)
        return DIB_ERR_FILE_IO;
    info = PictureInfo{};
    info.format = PICTURE_FORMAT_JPEG;
    info.width = static_cast<int>(record.JPGWidth);
    info.height = static_cast<int>(record.JPGHeight);
    info.channels = static_cast<int>(record.JPGChannels);
    info.bitCount = 8 * info.channels;
    info.imageBitCount = 24;
    info.imageCompression = BI_RGB;
    return DIB_OK;
}

}  // namespace

DWORD ReadJpeg(CDib& image, const BYTE* data, uint64_t size)
{
    if (size > kMaxBlockBytes)
        return DIB_ERR_NO_MEMORY;
    CJPeg jpeg;
    if (!LoadCodec(jpeg))
        return DIB_ERR_JPEG;
    // Read only: the memory file never writes into the caller's bytes.
    CMemFile stream(const_cast<BYTE*>(data), static_cast<UINT>(size));
    return image.LoadJPEG(jpeg, stream, 0);
}

DWORD ReadJpegInfo(const BYTE* data, uint64_t size, PictureInfo& info)
{
    if (size > kMaxBlockBytes)
        return DIB_ERR_NO_MEMORY;
    return ReadInfoWith(
        [&](CJPeg& jpeg) { return jpeg.JpegStreamReadHeader(const_cast<BYTE*>(data), static_cast<DWORD>(size)); },
        info);
}

DWORD ReadJpegInfo(const char* path, PictureInfo& info)
{
    return ReadInfoWith([&](CJPeg& jpeg) { return jpeg.JpegFileReadHeader(path); }, info);
}

}  // namespace velmoro
