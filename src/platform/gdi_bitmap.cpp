// SPDX-License-Identifier: MIT
// Device-dependent bitmaps and their rows read back as DIBs.
#include "platform/gdi_objects.h"

#include "base/dib_layout.h"
#include "base/pixel_layouts.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace velmoro {
namespace gdi {

Bitmap* NewBitmap(int width, int height, int bitsPerPixel, bool isStock)
{
    switch (bitsPerPixel) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: return nullptr;
    }
    if (width <= 0 || height <= 0)
        return nullptr;
    const int64_t rowBytes = ((int64_t{width} * bitsPerPixel + 15) >> 4) * 2;
    if (rowBytes > INT_MAX)
        return nullptr;
    BlockPtr<BYTE> bits = MakeBlock(static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height));
    auto* bitmap = new (std::nothrow) Bitmap(isStock);
    if (!bits || !bitmap) {
        delete bitmap;
        return nullptr;
    }
    std::memset(bits.get(), 0, static_cast<size_t>(rowBytes) * static_cast<size_t>(height));
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bitsPerPixel = bitsPerPixel;
    bitmap->rowBytes = rowBytes;
    bitmap->bits = std::move(bits);
    return bitmap;
}

PixelFormat SurfaceFormat(const Bitmap& bitmap, const Palette* palette)
{
    PixelFormat format;
    format.bitCount = bitmap.bitsPerPixel;
    format.is565 = true;
    if (bitmap.bitsPerPixel <= 8 && palette) {
        format.colorCount = static_cast<int>(std::min<UINT>(palette->count, 256));
        for (int i = 0; i < format.colorCount; ++i) {
            const PALETTEENTRY& entry = palette->entries.get()[i];
            format.colors[i] = MakeXrgb(entry.peRed, entry.peGreen, entry.peBlue);
        }
    }
    return format;
}

}  // namespace gdi
}  // namespace velmoro

using namespace velmoro;
using namespace velmoro::gdi;

namespace {

bool IsReadableDibHeader(const BITMAPINFOHEADER& header)
{
    if (header.biSize != kInfoHeaderBytes)
        return false;
    switch (header.biBitCount) {
    case 1: case 4: case 8: case 24: return header.biCompression == BI_RGB;
    case 16: case 32: return header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS;
    default: return false;
    }
}

// Writes the colour table (from the context's palette) or the masks behind the
// header, and gives the format the rows are encoded in.
PixelFormat WriteColorTable(BITMAPINFO* info, const Palette& palette)
{
    const BITMAPINFOHEADER& header = info->bmiHeader;
    BYTE* table = reinterpret_cast<BYTE*>(info) + kInfoHeaderBytes;
    PixelFormat format;
    format.bitCount = header.biBitCount;
    format.is565 = IsHeader565(header);
    if (header.biBitCount <= 8) {
        // biClrUsed may ask for more entries than the depth can name; the
        // caller's block is sized for at most those.
        const uint64_t entries =
            std::min<uint64_t>(ColorEntryCount(info), static_cast<uint64_t>(DefaultColorEntries(header.biBitCount)));
        for (uint64_t i = 0; i < entries; ++i) {
            RGBQUAD quad{};
            if (i < palette.count) {
                const PALETTEENTRY& entry = palette.entries.get()[i];
                quad = RGBQUAD{entry.peBlue, entry.peGreen, entry.peRed, 0};
            }
            std::memcpy(table + 4 * i, &quad, sizeof quad);
            if (i < 256)
                format.colors[i] = MakeXrgb(quad.rgbRed, quad.rgbGreen, quad.rgbBlue);
        }
        format.colorCount = static_cast<int>(std::min<uint64_t>(entries, 256));
    } else if (header.biCompression == BI_BITFIELDS) {
        std::memcpy(table, header.biBitCount == 16 ? kMasks565 : kMasks888, sizeof kMasks565);
    }
    return format;
}

// Same-depth indices are copied as they are; bits past the last pixel become 0.
void CopyIndexRow(const BYTE* source, int width, int bitCount, BYTE* destination)
{
    const int64_t usedBits = int64_t{width} * bitCount;
    const size_t usedBytes = static_cast<size_t>((usedBits + 7) >> 3);
    std::memcpy(destination, source, usedBytes);
    if (usedBits & 7)
        destination[usedBytes - 1] &= static_cast<BYTE>(0xFF << (8 - (usedBits & 7)));
}

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    if (planes != 1 || bitsPerPixel > 32)
        return nullptr;
    Bitmap* bitmap = NewBitmap(width, height, static_cast<int>(bitsPerPixel), false);
    if (bitmap && bits)
        std::memcpy(bitmap->bits.get(), bits, static_cast<size_t>(bitmap->rowBytes) * bitmap->height);
    return RegisterObject(bitmap);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height)
{
    if (!FindContext(hdc))
        return nullptr;
    return RegisterObject(NewBitmap(width, height, 32, false));
}

int GetDIBits(HDC hdc, HBITMAP handle, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage)
{
    const VelmoroDeviceContext* context = FindContext(hdc);
    const Bitmap* bitmap = Find<Bitmap>(handle);
    if (!context || !bitmap || !info || usage != DIB_RGB_COLORS)
        return 0;
    BITMAPINFOHEADER& header = info->bmiHeader;
    if (!IsReadableDibHeader(header) || header.biWidth != bitmap->width || header.biHeight != bitmap->height)
        return 0;
    const int64_t stride = RowStride(header);
    const uint64_t imageBytes = static_cast<uint64_t>(stride) * static_cast<uint64_t>(bitmap->height);
    if (imageBytes > kMaxBlockBytes)
        return 0;
    const PixelFormat dibFormat = WriteColorTable(info, *context->palette);
    header.biSizeImage = static_cast<DWORD>(imageBytes);

    const int64_t height = bitmap->height;
    const int64_t first = std::min<int64_t>(start, height);
    const int64_t end = std::min<int64_t>(first + lines, height);
    if (!bits)
        return static_cast<int>(end - first);

    const bool copyIndices = header.biBitCount <= 8 && header.biBitCount == bitmap->bitsPerPixel;
    // Rows convert through a fixed working span, so reading bits needs no memory.
    constexpr int64_t kSpanPixels = 256;
    Xrgb span[kSpanPixels];
    const PixelFormat surfaceFormat = SurfaceFormat(*bitmap, context->palette);
    std::lock_guard<std::mutex> reading(bitmap->pixelsLock);
    for (int64_t line = first; line < end; ++line) {
        BYTE* destination = static_cast<BYTE*>(bits) + (line - first) * stride;
        const BYTE* source = bitmap->Row(static_cast<int>(height - 1 - line));
        std::memset(destination, 0, static_cast<size_t>(stride));
        if (copyIndices) {
            CopyIndexRow(source, bitmap->width, bitmap->bitsPerPixel, destination);
            continue;
        }
        for (int64_t x = 0; x < bitmap->width; x += kSpanPixels) {
            const int64_t count = std::min<int64_t>(kSpanPixels, bitmap->width - x);
            DecodeRow(source, x, count, surfaceFormat, span);
            EncodeRow(span, count, dibFormat, destination, x);
        }
    }
    return static_cast<int>(end - first);
}
