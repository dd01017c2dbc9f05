// SPDX-License-Identifier: MIT
// Builds against the installed package, loads the bitmap it embedded and reads
// pictures through the installed picture reader.
#include <velmoro/velmoro.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main()
{
    if (GetRenderInterfaceVersion() != 1)
        return 1;
    CDib image;
    if (!image.IsEmpty())
        return 2;
    if (image.Load(6u) != DIB_ERR_RES_NOT_FOUND || !image.IsEmpty())
        return 3;
    // res_565.bmp: 3 x 2, 16 bits with 5-6-5 masks; its first pixel word is 0x554A.
    if (image.Load(5u) != DIB_OK)
        return 4;
    if (image.GetWidth() != 3 || image.GetHeight() != 2 || image.GetBitCount() != 16 ||
        image.GetCompression() != BI_BITFIELDS)
        return 5;
    const BYTE* pixels = image.GetBmpBitsAddress();
    if (pixels[0] != 0x4A || pixels[1] != 0x55)
        return 6;
    // The codec module is installed beside the library and found there without a path.
    CJPeg codec;
    if (!codec.InitJPEGLibrary(NULL))
        return 7;
    // The installed header and the installed library tell the same version.
    if (std::strcmp(VelmoroVersion(), VELMORO_VERSION_STRING) != 0)
        return 8;
    // Every picture through the installed reader.
    CDib picture;
    if (LoadPicture(picture, CONSUMER_DATA_DIR "/bmp_compat/im_v5_rgb24.bmp") != DIB_OK || picture.GetWidth() != 13 ||
        picture.GetBitCount() != 24)
        return 9;
    if (LoadPicture(picture, CONSUMER_DATA_DIR "/picture/palette4_interlaced.png") != DIB_OK ||
        picture.GetWidth() != 19 || picture.GetBitCount() != 8 || picture.GetNumColorEntry() != 11)
        return 10;
    std::puts("consumer: ok");
    return 0;
}
