// SPDX-License-Identifier: MIT
// The BMP reader behind LoadPicture: any bytes that start as a BMP file give a
// result code, never a crash, an over-read or a huge allocation; what it makes
// is a record every operation takes, as large as its headers say, agreeing
// with what ReadPictureInfo reads from the headers alone.
#include <velmoro/picture_io.h>

#include "image_checks.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20) || size < 2 || data[0] != 'B' || data[1] != 'M')
        return 0;  // other formats are the picture target's
    const std::vector<BYTE> bmp(data, data + size);
    PictureReadOptions options = DefaultPictureReadOptions();
    options.alpha = size % 3;  // each alpha rule in turn
    CDib image;
    const DWORD loaded = LoadPicture(image, bmp.data(), bmp.size(), options);
    PictureInfo info{};
    const DWORD described = ReadPictureInfo(bmp.data(), bmp.size(), info);
    if (loaded != DIB_OK) {
        if (!image.IsEmpty())
            __builtin_trap();  // a refusal leaves the image as it was
        return 0;
    }
    fuzz::CheckImage(image);
    if (described != DIB_OK || info.width != image.GetWidth() || info.height != image.GetHeight())
        __builtin_trap();
    // The headers describe a read with the default options, which drops alpha.
    if (options.alpha == PICTURE_ALPHA_DROP &&
        (info.imageBitCount != image.GetBitCount() || info.imageCompression != image.GetCompression()))
        __builtin_trap();
    const int bits = image.GetBitCount();
    if (bits != 8 && bits != 16 && bits != 24)
        __builtin_trap();
    if (bits == 8 && (image.GetNumColorEntry() < 1 || image.GetNumColorEntry() > 256))
        __builtin_trap();
    return 0;
}
