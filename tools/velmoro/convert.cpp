// SPDX-License-Identifier: MIT
// velmoro convert: change an image's bit depth or file format.
#include "command.h"
#include "image_output.h"

#include <velmoro/dib_edit.h>
#include <velmoro/picture_io.h>

namespace velmoro_tool {
namespace {

// The dither adds its noise to 24-bit pixels and leaves them 24-bit: other
// depths pass through 24 bits first, and the reduction follows it.
DWORD ConvertTo16Bits(CDibEdit& image, DWORD format, bool dither)
{
    if (dither) {
        if (DWORD code = image.ConvertTo24BitPerPixel())
            return code;
        if (DWORD code = image.Dither24To16BitPerPixel(format))
            return code;
    }
    return image.ConvertTo16BitPerPixel(format);
}

PictureStep PrepareConvert(const Arguments& args, int outputFormat)
{
    const std::string bitsText = args.Text("--bits", "");
    if (!bitsText.empty() && bitsText != "16" && bitsText != "24")
        throw UsageError("--bits takes 16 or 24, not '" + bitsText + "'");
    const int bits = bitsText.empty() ? 0 : std::stoi(bitsText);
    if (bits != 16 && (args.Has("--layout") || args.Has("--dither")))
        throw UsageError("--layout and --dither go with --bits 16");
    if (outputFormat == PICTURE_FORMAT_JPEG && bits == 16)
        throw UsageError("a JPEG file holds 24 bits");
    PictureStep step;
    step.jpeg = JpegSettingsFrom(args, outputFormat);
    const DWORD layout = args.Layout("--layout", DIB_FORMAT_555);
    const bool dither = args.Has("--dither");
    step.apply = [bits, layout, dither](CDibEdit& image, const std::string& in) {
        if (bits == 24)
            CheckOperation(image.ConvertTo24BitPerPixel(), in, image);
        if (bits == 16)
            CheckOperation(ConvertTo16Bits(image, layout, dither), in, image);
    };
    return step;
}

const CommandRegistration kConvert{
    {"convert", "change the bit depth (16 or 24 bits) or write as BMP, PNG or JPEG",
     "[--bits 16|24] [--layout 555|565] [--dither] [--quality N] [--subsampling 444|422|420]",
     "Reads IN (any BMP, PNG or JPEG) and writes OUT, converted to 24 bits or to\n"
     "16 bits in the 5-5-5 layout (the default) or 5-6-5; without --bits the depth\n"
     "stays. --dither adds noise before the reduction to 16 bits so that gradients\n"
     "do not band. OUT's name (or --format) says the format: .bmp, .png, or .jpg\n"
     "and .jpeg, encoded from 24 bits with quality N (1 to 100, default 90) and the\n"
     "chroma sampling given (default 4:4:4 at quality 90 and above, 4:2:0 below).\n\n"
     "examples: velmoro convert photo.bmp photo16.bmp --bits 16 --layout 565 --dither\n"
     "          velmoro convert scan.png scan.jpg --quality 80 --subsampling 422",
     nullptr, PrepareConvert}};

}  // namespace
}  // namespace velmoro_tool
