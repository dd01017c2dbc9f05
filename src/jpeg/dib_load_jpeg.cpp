// SPDX-License-Identifier: MIT
// CDib::LoadJPEG: a JPEG file, or a whole file object, into a new 24-bit
// bottom-up image. The codec writes straight into the new pixel block; the
// image takes the new blocks only after the decode has succeeded.
#include <velmoro/dib.h>
#include <velmoro/jpeg.h>
#include <velmoro/platform/file.h>

#include "base/blocks.h"
#include "base/dib_layout.h"

using namespace velmoro;

namespace {

// The CJPeg's properties record for the length of one load: made fresh at the
// start (a record the caller made is dropped), released on every exit.
class ConversionScope {
public:
    explicit ConversionScope(CJPeg& jpeg) : m_jpeg(jpeg), m_ready(jpeg.JpgInitConversion() == IJL_OK) {}
    ~ConversionScope() { m_jpeg.JpgEndConversion(); }
    ConversionScope(const ConversionScope&) = delete;
    ConversionScope& operator=(const ConversionScope&) = delete;

    bool Ready() const { return m_ready; }

private:
    CJPeg& m_jpeg;
    bool m_ready;
};

struct DecodedBlocks {
    BlockPtr<BITMAPINFO> info;
    BlockPtr<BYTE> bits;
};

typedef IJLERR (CJPeg::*ConvertToDib)(BYTE* buffer);

// After a successful header read: builds both blocks and has the codec fill the pixels.
DWORD DecodeIntoNewBlocks(CJPeg& jpeg, ConvertToDib convert, DecodedBlocks& decoded)
{
    const uint64_t width = jpeg.JpgGetImageWidth();
    const uint64_t height = jpeg.JpgGetImageHeight();
    if (width == 0 || height == 0)
        return DIB_ERR_FILE_IO;  // a header without a picture is a failed header read

    // The codec module is any library with the four entry points: its sizes are
    // input like any other. A product that wraps around 64 bits would pass as a
    // small block; a block over 32 bits is refused by the allocation, which also
    // keeps width and height within LONG.
    uint64_t pixelBytes = 0;
    if (__builtin_mul_overflow(height, static_cast<uint64_t>(RowStride(static_cast<int64_t>(width), 24)), &pixelBytes))
        return DIB_ERR_NO_MEMORY;
    decoded.info = MakeBlock<BITMAPINFO>(kInfoHeaderBytes);
    if (!decoded.info)
        return DIB_ERR_NO_MEMORY;
    decoded.bits = MakeBlock(pixelBytes);
    if (!decoded.bits)
        return DIB_ERR_NO_MEMORY;

    decoded.info->bmiHeader = NewInfoHeader(static_cast<LONG>(width), static_cast<LONG>(height), 24);

    if ((jpeg.*convert)(decoded.bits.get()) != IJL_OK)
        return DIB_ERR_FILE_IO;
    return DIB_OK;
}

}  // namespace

DWORD CDib::LoadJPEG(CJPeg& jpeg, CFile& file, int bClose)
{
    if (!jpeg.IsCodecLoaded())
        return DIB_ERR_JPEG;
    ConversionScope conversion(jpeg);
    if (!conversion.Ready())
        return DIB_ERR_JPEG;

    // The stream is always the whole file, wherever its position stood.
    const uint64_t size = file.GetLength();
    BlockPtr<BYTE> stream = MakeBlock(size);
    if (!stream)
        return DIB_ERR_NO_MEMORY;
    file.Seek(0, CFile::begin);
    if (file.Read(stream.get(), static_cast<UINT>(size)) < size)
        return DIB_ERR_FILE_IO;
    if (jpeg.JpegStreamReadHeader(stream.get(), static_cast<DWORD>(size)) != IJL_OK)
        return DIB_ERR_FILE_IO;

    DecodedBlocks decoded;
    if (DWORD failed = DecodeIntoNewBlocks(jpeg, &CJPeg::JpegStreamConvertToDib, decoded))
        return failed;
    ReplaceBlocks(decoded.info.release(), decoded.bits.release());
    if (bClose)
        file.Close();
    return DIB_OK;
}

// The codec opens and reads the file itself.
DWORD CDib::LoadJPEG(CJPeg& jpeg, const char* path)
{
    if (!jpeg.IsCodecLoaded())
        return DIB_ERR_JPEG;
    ConversionScope conversion(jpeg);
    if (!conversion.Ready())
        return DIB_ERR_JPEG;
    if (jpeg.JpegFileReadHeader(path) != IJL_OK)
        return DIB_ERR_FILE_IO;

    DecodedBlocks decoded;
    if (DWORD failed = DecodeIntoNewBlocks(jpeg, &CJPeg::JpegFileConvertToDib, decoded))
        return failed;
    ReplaceBlocks(decoded.info.release(), decoded.bits.release());
    return DIB_OK;
}
