// SPDX-License-Identifier: MIT
// LoadPicture over any bytes: a BMP, PNG or JPEG told by its first bytes, or a
// result code. Whatever it reads is a record every operation takes; written
// back as BMP and as PNG and read again, it gives the same picture.
#include <velmoro/picture_io.h>
#include <velmoro/platform/file.h>

#include "image_checks.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Larger pictures are skipped: the pixel block is allocated before the decode.
constexpr uint64_t kMaxPixels = 1u << 20;

// Every pixel's colour (0x00BBGGRR) in the three forms the reader makes: 8 bits
// with a table (black past its end), 16 bits widened by shifting, 24 bits.
std::vector<COLORREF> Colors(const CDib& image)
{
    const int64_t width = image.GetWidth(), height = image.GetHeight();
    const int bits = image.GetBitCount();
    const int64_t stride = velmoro::RowStride(width, bits);
    const bool is565 = image.GetCompression() == BI_BITFIELDS;
    const RGBQUAD* table = velmoro::ColorEntries(image.GetBmpInfoAddress());
    std::vector<COLORREF> colors;
    for (int64_t y = 0; y < height; ++y) {
        const BYTE* row = image.GetBmpBitsAddress() + stride * y;
        for (int64_t x = 0; x < width; ++x) {
            if (bits == 8) {
                const RGBQUAD entry = row[x] < image.GetNumColorEntry() ? table[row[x]] : RGBQUAD{};
                colors.push_back(RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue));
            } else if (bits == 16) {
                const unsigned word = row[2 * x] | row[2 * x + 1] << 8;
                colors.push_back(is565 ? RGB((word >> 11) << 3, ((word >> 5) & 0x3F) << 2, (word & 0x1F) << 3)
                                       : RGB(((word >> 10) & 0x1F) << 3, ((word >> 5) & 0x1F) << 3, (word & 0x1F) << 3));
            } else if (bits == 24) {
                colors.push_back(RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
            } else {
                __builtin_trap();  // a form the reader must never make
            }
        }
    }
    return colors;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    PictureInfo info{};
    if (ReadPictureInfo(data, size, info) == DIB_OK && uint64_t(info.width) * uint64_t(info.height) > kMaxPixels)
        return 0;
    PictureReadOptions options = DefaultPictureReadOptions();
    options.alpha = size % 3;  // each alpha rule in turn
    CDib image;
    if (LoadPicture(image, data, size, options) != DIB_OK) {
        if (!image.IsEmpty())
            __builtin_trap();  // a refusal leaves the image as it was
        return 0;
    }
    fuzz::CheckImage(image);
    if (image.GetWidth() == 0 || image.GetHeight() == 0)
        return 0;  // nothing a PNG could hold
    const std::vector<COLORREF> colors = Colors(image);
    for (int format : {PICTURE_FORMAT_BMP, PICTURE_FORMAT_PNG}) {
        CMemFile file;
        if (WritePicture(image, file, DefaultPictureWriteOptions(format)) != DIB_OK)
            __builtin_trap();
        const uint64_t length = file.GetLength();
        std::vector<BYTE> bytes(length);
        file.Seek(0, CFile::begin);
        file.Read(bytes.data(), static_cast<UINT>(length));
        CDib back;
        if (LoadPicture(back, bytes.data(), bytes.size(), DefaultPictureReadOptions()) != DIB_OK ||
            back.GetWidth() != image.GetWidth() || back.GetHeight() != image.GetHeight() || Colors(back) != colors)
            __builtin_trap();
    }
    return 0;
}
