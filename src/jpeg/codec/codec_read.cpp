// SPDX-License-Identifier: MIT
// Header reads and whole-image decodes (I/O modes 0 to 3). Rows are decoded
// straight into the caller's DIB buffer, in either row order, with the pad
// bytes zeroed; only 4-channel pictures pass through one row of their own.
#include "codec_modes.h"

#include "codec_guard.h"
#include "dib_rows.h"

#include <algorithm>

namespace velmoro_codec {
namespace {

// Rows handed to libjpeg per call; it produces at most a few at a time anyway.
constexpr JDIMENSION kRowsPerCall = 16;

struct DecodeSession {
    DecodeSession() { object.err = InstallErrorHandlers(errors, IJL_ERR_CORRUPT); }
    ~DecodeSession()
    {
        // Safe on a never-created object: it is zero-filled, so there is no memory pool.
        jpeg_destroy_decompress(&object);
        if (file)
            std::fclose(file);
    }
    DecodeSession(const DecodeSession&) = delete;
    DecodeSession& operator=(const DecodeSession&) = delete;

    jpeg_decompress_struct object{};
    CodecErrors errors;
    std::FILE* file = nullptr;
};

IJLERR CheckDibTarget(const JPEG_CORE_PROPERTIES& record, const jpeg_decompress_struct& object)
{
    if (!record.DIBBytes)
        return IJL_ERR_NULL_POINTER;
    if (record.DIBWidth != object.image_width || DibRowCount(record) != object.image_height)
        return IJL_ERR_BAD_DIB;
    if (record.DIBChannels != 3)
        return IJL_ERR_BAD_DIB;
    if (record.DIBColor != IJL_BGR && record.DIBColor != IJL_RGB && record.DIBColor != IJL_OTHER)
        return IJL_ERR_BAD_DIB;
    return IJL_OK;
}

BYTE MultiplyDiv255(unsigned a, unsigned b)
{
    const unsigned t = a * b + 128;
    return static_cast<BYTE>((t + (t >> 8)) >> 8);
}

// Ink to light: each channel's light is scaled by the light the black ink lets through.
// Adobe files store every channel inverted (255 = no ink), plain CMYK files do not.
void CmykRowToRgb24(const JSAMPLE* cmyk, BYTE* out, JDIMENSION width, bool adobeInverted, bool rgbOrder)
{
    const BYTE flip = adobeInverted ? 0 : 255;
    const int redAt = rgbOrder ? 0 : 2;
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, out += 3) {
        const unsigned black = cmyk[3] ^ flip;
        out[redAt] = MultiplyDiv255(cmyk[0] ^ flip, black);
        out[1] = MultiplyDiv255(cmyk[1] ^ flip, black);
        out[2 - redAt] = MultiplyDiv255(cmyk[2] ^ flip, black);
    }
}

IJLERR DecodeThreeChannels(jpeg_decompress_struct& object, const DibRows& rows)
{
    JSAMPROW batch[kRowsPerCall];
    while (object.output_scanline < object.output_height) {
        const JDIMENSION first = object.output_scanline;
        const JDIMENSION count = std::min(kRowsPerCall, object.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            batch[i] = rows.Row(first + i);
        const JDIMENSION got = jpeg_read_scanlines(&object, batch, count);
        if (got == 0)
            return IJL_ERR_CORRUPT;
        for (JDIMENSION i = 0; i < got; ++i)
            rows.ClearPad(batch[i]);
    }
    return IJL_OK;
}

IJLERR DecodeFourChannels(jpeg_decompress_struct& object, const DibRows& rows, bool rgbOrder)
{
    // From libjpeg's image pool: released with the object, also after a failure.
    JSAMPARRAY cmyk = (*object.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&object), JPOOL_IMAGE,
                                                  object.output_width * 4, 1);
    const bool adobeInverted = object.saw_Adobe_marker;
    while (object.output_scanline < object.output_height) {
        BYTE* row = rows.Row(object.output_scanline);
        if (jpeg_read_scanlines(&object, cmyk, 1) != 1)
            return IJL_ERR_CORRUPT;
        CmykRowToRgb24(cmyk[0], row, object.output_width, adobeInverted, rgbOrder);
        rows.ClearPad(row);
    }
    return IJL_OK;
}

IJLERR DecodeImage(jpeg_decompress_struct& object, const JPEG_CORE_PROPERTIES& record)
{
    if (IJLERR refused = CheckDibTarget(record, object))
        return refused;
    const bool rgbOrder = record.DIBColor == IJL_RGB;
    bool fourChannels = false;
    switch (object.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        object.out_color_space = rgbOrder ? JCS_EXT_RGB : JCS_EXT_BGR;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        object.out_color_space = JCS_CMYK;  // libjpeg turns YCCK into CMYK, the codec does the rest
        fourChannels = true;
        break;
    default:
        return IJL_ERR_CORRUPT;
    }
    jpeg_start_decompress(&object);
    const DibRows rows(record);
    const IJLERR decoded = fourChannels ? DecodeFourChannels(object, rows, rgbOrder)
                                        : DecodeThreeChannels(object, rows);
    if (decoded != IJL_OK)
        return decoded;
    // Reads up to the end marker, so damage after the last row is reported too.
    jpeg_finish_decompress(&object);
    return IJL_OK;
}

}  // namespace

IJLERR ReadJpeg(JPEG_CORE_PROPERTIES& record, bool fromFile, bool wholeImage)
{
    if (fromFile ? !record.JPGFile : !record.JPGBytes)
        return IJL_ERR_NULL_POINTER;
    DecodeSession session;
    if (fromFile) {
        session.file = std::fopen(record.JPGFile, "rb");
        if (!session.file)
            return IJL_ERR_FILE_OPEN;
    }
    jpeg_decompress_struct& object = session.object;
    return RunGuarded(session.errors, [&]() -> IJLERR {
        jpeg_create_decompress(&object);
        if (fromFile)
            jpeg_stdio_src(&object, session.file);
        else
            jpeg_mem_src(&object, record.JPGBytes, record.JPGSizeBytes);
        if (jpeg_read_header(&object, TRUE) != JPEG_HEADER_OK || object.image_width == 0 ||
            object.image_height == 0)
            return IJL_ERR_NO_PICTURE;
        session.errors.headerRead = true;
        if (wholeImage)
            return DecodeImage(object, record);
        record.JPGWidth = object.image_width;
        record.JPGHeight = object.image_height;
        record.JPGChannels = static_cast<DWORD>(object.num_components);
        return IJL_OK;
    });
}

}  // namespace velmoro_codec
