// SPDX-License-Identifier: MIT
#include "support/jpeg_samples.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace velmoro_test {

TestImage BgrPicture(int width, int height, const std::function<Bgr(int x, int y)>& colour)
{
    TestImage image(ImageSpec{width, height, 24});
    for (int y = 0; y < height; ++y) {
        BYTE* row = image.Row(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const Bgr c = colour(x, y);
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    return image;
}

Bgr PixelAt(const CDib& image, int x, int y)
{
    const size_t stride = ((3 * static_cast<size_t>(image.GetWidth())) + 3) & ~size_t{3};
    const BYTE* p = image.GetBmpBitsAddress() + stride * (image.GetHeight() - 1 - y) + 3 * x;
    return Bgr{p[0], p[1], p[2]};
}

bool NearColour(const Bgr& a, const Bgr& b, int tolerance)
{
    return std::abs(a.b - b.b) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.r - b.r) <= tolerance;
}

void SetDibSource(JPEG_CORE_PROPERTIES& record, const CDib& image)
{
    const DWORD width = static_cast<DWORD>(image.GetWidth());
    record.DIBBytes = image.GetBmpBitsAddress();
    record.DIBWidth = width;
    record.DIBHeight = -image.GetHeight();
    record.DIBPadBytes = ((3 * width + 3) & ~3u) - 3 * width;
    record.DIBChannels = 3;
    record.DIBColor = IJL_BGR;
}

std::vector<BYTE> EncodeThroughCodec(CJPeg& codec, const CDib& image, DWORD quality, IJL_COLOR jpegColor)
{
    if (codec.JpgInitConversion() != IJL_OK)
        throw std::runtime_error("JpgInitConversion failed");
    std::vector<BYTE> stream(6 * static_cast<size_t>(image.GetWidth()) * image.GetHeight() + 4096);
    JPEG_CORE_PROPERTIES& record = *codec.JpgGetProperties();
    SetDibSource(record, image);
    record.JPGColor = jpegColor;
    record.JPGQuality = quality;
    codec.JpgSetJPegStreamInfo(stream.data(), static_cast<DWORD>(stream.size()));
    const IJLERR written = codec.JpgBufferWriteImage();
    stream.resize(record.JPGSizeBytes);
    codec.JpgEndConversion();
    if (written != IJL_OK)
        throw std::runtime_error("JpgBufferWriteImage failed");
    return stream;
}

std::vector<BYTE> EncodeFourChannelJpeg(int width, int height, const std::vector<BYTE>& inks, FourChannelKind kind)
{
    jpeg_compress_struct object{};
    jpeg_error_mgr errors;
    object.err = jpeg_std_error(&errors);  // test data is well-formed: libjpeg's exit is fine here
    jpeg_create_compress(&object);
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    jpeg_mem_dest(&object, &output, &outputSize);
    object.image_width = static_cast<JDIMENSION>(width);
    object.image_height = static_cast<JDIMENSION>(height);
    object.input_components = 4;
    object.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&object);
    jpeg_set_colorspace(&object, kind == FourChannelKind::AdobeYcck ? JCS_YCCK : JCS_CMYK);
    object.write_Adobe_marker = kind != FourChannelKind::PlainCmyk;
    jpeg_set_quality(&object, 100, TRUE);
    for (int c = 0; c < object.num_components; ++c) {
        object.comp_info[c].h_samp_factor = 1;
        object.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&object, TRUE);
    const BYTE flip = kind == FourChannelKind::PlainCmyk ? 0 : 255;
    std::vector<BYTE> row(4 * static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = inks[4 * static_cast<size_t>(width) * y + i] ^ flip;
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&object, rows, 1);
    }
    jpeg_finish_compress(&object);
    std::vector<BYTE> stream(output, output + outputSize);
    jpeg_destroy_compress(&object);
    std::free(output);
    return stream;
}

}  // namespace velmoro_test
