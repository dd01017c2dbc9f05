// SPDX-License-Identifier: MIT
// CDib::LoadJPEG over an in-memory file object holding the fuzz input.
#include <velmoro/dib.h>
#include <velmoro/jpeg.h>
#include <velmoro/platform/file.h>

#include <cstdint>
#include <cstdlib>

namespace {

// Pictures larger than this are skipped: the pixel block is allocated before the decode.
constexpr uint64_t kMaxPixels = 4u << 20;

// Keeps the reads of the pixel bytes from being optimised away.
volatile unsigned g_pixelSum;

CJPeg& Codec()
{
    static CJPeg codec;
    static const int loaded = codec.InitJPEGLibrary(NULL);
    if (!loaded)
        std::abort();  // no codec beside the library: the target would test nothing
    return codec;
}

bool SmallEnough(CJPeg& codec, const uint8_t* data, size_t size)
{
    if (codec.JpgInitConversion() != IJL_OK)
        return false;
    const bool small = codec.JpegStreamReadHeader(const_cast<BYTE*>(data), static_cast<DWORD>(size)) != IJL_OK ||
                       uint64_t{codec.JpgGetImageWidth()} * codec.JpgGetImageHeight() <= kMaxPixels;
    codec.JpgEndConversion();
    return small;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    CJPeg& codec = Codec();
    if (!SmallEnough(codec, data, size))
        return 0;
    CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
    CDib image;
    if (image.LoadJPEG(codec, file, 0) != DIB_OK)
        return 0;
    if (image.GetBitCount() != 24 || image.GetWidth() <= 0 || image.GetHeight() <= 0)
        std::abort();
    // Reads every byte of the block; the pad bytes of each row must be zero.
    const uint64_t rowBytes = 3ull * image.GetWidth();
    const uint64_t stride = (rowBytes + 3) & ~3ull;
    unsigned sum = 0;
    for (uint64_t row = 0; row < static_cast<uint64_t>(image.GetHeight()); ++row) {
        const BYTE* bytes = image.GetBmpBitsAddress() + row * stride;
        for (uint64_t i = 0; i < rowBytes; ++i)
            sum += bytes[i];
        for (uint64_t i = rowBytes; i < stride; ++i) {
            if (bytes[i] != 0)
                std::abort();
        }
    }
    g_pixelSum = sum;
    return 0;
}
