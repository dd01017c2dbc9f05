// SPDX-License-Identifier: MIT
#include "picture/picture_jpeg.h"

#include <velmoro/jpeg.h>
#include <velmoro/platform/file.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "picture/picture_rows.h"
#include "platform/file_support.h"

#include <algorithm>
#include <mutex>

namespace velmoro {
namespace {

// Keeps the module mapped once it has loaded, so that each picture's own CJPeg
// finds it loaded; a load that failed (for memory, say) is tried again next time.
bool CodecAvailable()
{
    static std::mutex guard;
    static CJPeg resident;
    const std::lock_guard<std::mutex> lock(guard);
    return resident.IsCodecLoaded() || resident.InitJPEGLibrary(NULL) != 0;
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

// Whether every colour an indexed image can show is a grey.
bool ShowsOnlyGreys(const CDib& image)
{
    if (image.GetBitCount() > 8)
        return false;
    const RGBQUAD* table = ColorEntries(image.GetBmpInfoAddress());
    const int entries = std::min(image.GetNumColorEntry(), 1 << image.GetBitCount());
    for (int i = 0; i < entries; ++i)
        if (table[i].rgbRed != table[i].rgbGreen || table[i].rgbGreen != table[i].rgbBlue)
            return false;
    return true;
}

DWORD SubsamplingFor(const PictureWriteOptions& options)
{
    if (options.jpegSubsampling != 0)
        return static_cast<DWORD>(options.jpegSubsampling);
    return options.jpegQuality >= 90 ? 444 : 420;  // fine detail in colour is kept where it is asked for
}

// The codec writes into a buffer of fixed size: too small, and it is tried
// again twice as large, up to a size no JPEG of the picture can reach.
DWORD EncodeIntoBuffer(CJPeg& jpeg, uint64_t pixelBytes, BlockPtr<BYTE>& stream, DWORD& length)
{
    const uint64_t largest = std::min<uint64_t>(4 * pixelBytes + (1 << 20), kMaxBlockBytes);
    for (uint64_t capacity = std::min(pixelBytes / 4 + (16 << 10), largest);; capacity = std::min(2 * capacity, largest)) {
        stream = MakeBlock(capacity);
        if (!stream)
            return DIB_ERR_NO_MEMORY;
        jpeg.JpgSetJPegStreamInfo(stream.get(), static_cast<DWORD>(capacity));
        const IJLERR result = jpeg.JpgBufferWriteImage();
        if (result == IJL_OK) {
            length = jpeg.JpgGetProperties()->JPGSizeBytes;
            return DIB_OK;
        }
        if (result == IJL_MEMORY_ERROR)
            return DIB_ERR_NO_MEMORY;
        if (result != IJL_ERR_BUFFER_FULL || capacity == largest)
            return DIB_ERR_JPEG;
    }
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

namespace velmoro {

DWORD WriteJpeg(const CDib& image, const PictureWriteOptions& options, CFile& out)
{
    const BITMAPINFOHEADER& header = image.GetBmpInfoAddress()->bmiHeader;
    if (header.biWidth <= 0 || header.biHeight <= 0)
        return DIB_ERR_EMPTY;
    const uint64_t width = static_cast<uint64_t>(header.biWidth);
    const uint64_t height = static_cast<uint64_t>(header.biHeight);
    const uint64_t stride = static_cast<uint64_t>(RowStride(static_cast<int64_t>(width), 24));
    // The codec reads 24-bit rows; other depths are widened into a block of their own.
    BYTE* bgr = const_cast<BYTE*>(image.GetBmpBitsAddress());  // the codec only reads it
    BlockPtr<BYTE> widened;
    if (header.biBitCount != 24) {
        BgrRowReader reader;
        if (DWORD refused = reader.Open(image))
            return refused;
        widened = MakeBlock(stride * height);
        if (!widened)
            return DIB_ERR_NO_MEMORY;
        for (uint64_t y = 0; y < height; ++y) {
            BYTE* row = PictureRow(widened.get(), stride, height, y);
            reader.Read(y, row);
            std::fill(row + 3 * width, row + stride, BYTE{0});
        }
        bgr = widened.get();
    }

    CJPeg jpeg;
    if (!LoadCodec(jpeg))
        return DIB_ERR_JPEG;
    if (const IJLERR started = jpeg.JpgInitConversion())
        return started == IJL_MEMORY_ERROR ? DIB_ERR_NO_MEMORY : DIB_ERR_JPEG;
    JPEG_CORE_PROPERTIES& record = *jpeg.JpgGetProperties();
    record.DIBBytes = bgr;
    record.DIBWidth = static_cast<DWORD>(width);
    record.DIBHeight = -static_cast<LONG>(height);  // bottom-up rows
    record.DIBPadBytes = static_cast<DWORD>(stride - 3 * width);
    record.DIBChannels = 3;
    record.DIBColor = IJL_BGR;
    record.DIBSubsampling = SubsamplingFor(options);
    record.JPGColor = ShowsOnlyGreys(image) ? IJL_G : IJL_YCBCR;
    record.JPGQuality = static_cast<DWORD>(options.jpegQuality);
    BlockPtr<BYTE> stream;
    DWORD length = 0;
    const DWORD encoded = EncodeIntoBuffer(jpeg, stride * height, stream, length);
    jpeg.JpgEndConversion();
    if (encoded != DIB_OK)
        return encoded;
    return CatchFileErrors(DIB_ERR_WRITE, [&] { out.Write(stream.get(), length); });
}

}  // namespace velmoro
