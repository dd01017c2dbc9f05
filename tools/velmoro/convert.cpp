// velmoro convert: change a BMP file's bit depth, optionally dithering down to 16 bits.
#include "args.h"
#include "command.h"

#include <velmoro/dib_edit.h>

namespace velmoro_tool {
namespace {

struct ConvertOptions {
    std::string input, output;
    int bits = 0;
    DWORD format = DIB_FORMAT_555;
    bool layoutGiven = false;
    bool dither = false;
};

bool ParseConvertOptions(const std::vector<std::string>& args, ConvertOptions& options, std::string& error)
{
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--bits") {
            if (!hasValue || !ParseInt(args[++i], options.bits) || (options.bits != 16 && options.bits != 24))
                return error = "convert: --bits takes 16 or 24", false;
        } else if (arg == "--layout") {
            if (!hasValue || !ParseLayout(args[++i], options.format))
                return error = "convert: --layout takes 555 or 565", false;
            options.layoutGiven = true;
        } else if (arg == "--dither") {
            options.dither = true;
        } else if (arg.compare(0, 2, "--") == 0) {
            return error = "convert: unknown option '" + arg + "'", false;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2 || options.bits == 0)
        return error = "convert: needs IN, OUT and --bits (see velmoro convert --help)", false;
    if (options.bits == 24 && (options.layoutGiven || options.dither))
        return error = "convert: --layout and --dither go with --bits 16", false;
    options.input = files[0];
    options.output = files[1];
    return true;
}

// The dither works on 24-bit pixels, so other depths pass through 24 bits first.
DWORD Convert(CDibEdit& image, const ConvertOptions& options)
{
    if (options.bits == 24)
        return image.ConvertTo24BitPerPixel();
    if (options.dither) {
        if (DWORD code = image.ConvertTo24BitPerPixel())
            return code;
        if (DWORD code = image.Dither24To16BitPerPixel(options.format))
            return code;
    }
    return image.ConvertTo16BitPerPixel(options.format);
}

int RunConvert(const std::vector<std::string>& args)
{
    ConvertOptions options;
    std::string error;
    if (!ParseConvertOptions(args, options, error))
        return ReportError(error);
    CDibEdit::TryEnableMMXSupport();
    CDibEdit image;
    if (DWORD code = image.Load(options.input.c_str()))
        return ReportFailure(options.input, code);
    if (DWORD code = Convert(image, options))
        return ReportFailure(options.input, code);
    if (DWORD code = WriteBmpWhole(image, options.output))
        return ReportFailure(options.output, code);
    return 0;
}

const CommandRegistration kConvert{{"convert", "change the bit depth of a BMP file (8/16/24 to 16 or 24 bits)",
                                    "usage: velmoro convert IN OUT --bits 16|24 [--layout 555|565] [--dither]\n\n"
                                    "Reads IN, converts it to 24 bits or to 16 bits in the 5-5-5 layout\n"
                                    "(the default) or 5-6-5, and writes OUT whole or not at all. --dither\n"
                                    "adds noise before the reduction to 16 bits so that gradients do not band.\n\n"
                                    "example: velmoro convert photo.bmp photo16.bmp --bits 16 --layout 565 --dither",
                                    RunConvert}};

}  // namespace
}  // namespace velmoro_tool
