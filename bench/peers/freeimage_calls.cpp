// SPDX-License-Identifier: MIT
#include "freeimage_calls.h"

#include <FreeImage.h>

namespace peer_bench {
namespace freeimage {
namespace {

void Initialise()
{
    static const bool initialised = [] {
        FreeImage_Initialise(FALSE);
        return true;
    }();
    (void)initialised;
}

}  // namespace

void LoadBmp(const uint8_t* file, size_t size, std::vector<uint8_t>* pixels)
{
    Initialise();
    FIMEMORY* stream = FreeImage_OpenMemory(const_cast<BYTE*>(file), static_cast<DWORD>(size));
    FIBITMAP* bitmap = FreeImage_LoadFromMemory(FIF_BMP, stream, 0);
    if (pixels && bitmap)
        pixels->assign(FreeImage_GetBits(bitmap),
                       FreeImage_GetBits(bitmap) + size_t{FreeImage_GetPitch(bitmap)} * FreeImage_GetHeight(bitmap));
    FreeImage_Unload(bitmap);
    FreeImage_CloseMemory(stream);
}

std::shared_ptr<void> MakeBitmap(const uint8_t* rows, int width, int height, int pitch)
{
    Initialise();
    return std::shared_ptr<void>(FreeImage_ConvertFromRawBits(const_cast<BYTE*>(rows), width, height, pitch, 24,
                                                              FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK,
                                                              FI_RGBA_BLUE_MASK, FALSE),
                                 [](void* bitmap) { FreeImage_Unload(static_cast<FIBITMAP*>(bitmap)); });
}

void SaveBmp(void* bitmap, std::vector<uint8_t>* file)
{
    FIMEMORY* stream = FreeImage_OpenMemory();
    FreeImage_SaveToMemory(FIF_BMP, static_cast<FIBITMAP*>(bitmap), stream, 0);
    if (file) {
        BYTE* data = nullptr;
        DWORD size = 0;
        FreeImage_AcquireMemory(stream, &data, &size);
        file->assign(data, data + size);
    }
    FreeImage_CloseMemory(stream);
}

}  // namespace freeimage
}  // namespace peer_bench
