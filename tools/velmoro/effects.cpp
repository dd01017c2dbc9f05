// velmoro mask|fade|filter|pick: the pixel effects over BMP files.
#include "args.h"
#include "command.h"

#include <velmoro/dib_edit.h>

#include <cstdio>
#include <functional>

namespace velmoro_tool {
namespace {

using Effect = std::function<DWORD(CDibEdit&)>;
// Builds the effect from the options, or gives an empty one and says why.
using EffectParser = Effect (*)(const ParsedArgs& parsed, std::string& error);

// Reads IN, applies the effect and writes OUT whole or not at all.
int TransformFile(const char* command, const std::vector<std::string>& args,
                  const std::vector<std::string>& optionNames, EffectParser parseEffect)
{
    ParsedArgs parsed;
    std::string error;
    if (!ParseArgs(args, optionNames, parsed, error))
        return ReportError(std::string(command) + ": " + error);
    if (parsed.positional.size() != 2)
        return ReportError(std::string(command) + ": give IN and OUT (see velmoro " + command + " --help)");
    const Effect effect = parseEffect(parsed, error);
    if (!effect)
        return ReportError(std::string(command) + ": " + error);
    const std::string& in = parsed.positional[0];
    const std::string& out = parsed.positional[1];
    CDibEdit image;
    DWORD code = image.Load(in.c_str());
    if (code != DIB_OK)
        return ReportFailure(in, code);
    code = effect(image);
    if (code != DIB_OK)
        return ReportFailure(in, code);
    code = DIB_ERR_WRITE;  // stays so when only the rename fails
    const bool written = WriteWholeOrNothing(out, [&](const std::string& temp) {
        code = static_cast<DWORD>(image.WriteBmp(temp.c_str()));
        return code == DIB_OK;
    });
    return written ? 0 : ReportFailure(out, code == DIB_OK ? DIB_ERR_WRITE : code);
}

bool OptionalInt(const ParsedArgs& parsed, const char* name, int fallback, int& value, std::string& error)
{
    const auto found = parsed.options.find(name);
    value = fallback;
    if (found == parsed.options.end() || ParseInt(found->second, value))
        return true;
    error = std::string(name) + " takes an integer, not '" + found->second + "'";
    return false;
}

Effect ParseMask(const ParsedArgs& parsed, std::string& error)
{
    const auto color = parsed.options.find("--color");
    DWORD key = 0;
    if (color == parsed.options.end() || !ParseColor(color->second, key)) {
        error = "--color RRGGBB is required";
        return nullptr;
    }
    int phase = 0;
    if (!OptionalInt(parsed, "--phase", 0, phase, error))
        return nullptr;
    return [key, phase](CDibEdit& image) { return image.MaskImage50(key, phase); };
}

Effect ParseFade(const ParsedArgs& parsed, std::string& error)
{
    if (!parsed.options.count("--level")) {
        error = "--level N is required";
        return nullptr;
    }
    int level = 0;
    if (!OptionalInt(parsed, "--level", 0, level, error))
        return nullptr;
    return [level](CDibEdit& image) { return image.FadeDib(level); };
}

Effect ParseFilter(const ParsedArgs& parsed, std::string& error)
{
    const auto kernelText = parsed.options.find("--kernel");
    std::vector<int> kernel;
    if (kernelText == parsed.options.end() || !ParseIntList(kernelText->second, 9, kernel)) {
        error = "--kernel needs nine integers k1,...,k9";
        return nullptr;
    }
    int divisor = 1;
    int bias = 0;
    if (!OptionalInt(parsed, "--divisor", 1, divisor, error) || !OptionalInt(parsed, "--bias", 0, bias, error))
        return nullptr;
    return [kernel, divisor, bias](CDibEdit& image) mutable {
        return image.FilterDib(kernel.data(), divisor, bias);
    };
}

int RunMask(const std::vector<std::string>& args)
{
    return TransformFile("mask", args, {"--color", "--phase"}, ParseMask);
}

int RunFade(const std::vector<std::string>& args)
{
    return TransformFile("fade", args, {"--level"}, ParseFade);
}

int RunFilter(const std::vector<std::string>& args)
{
    return TransformFile("filter", args, {"--kernel", "--divisor", "--bias"}, ParseFilter);
}

int RunPick(const std::vector<std::string>& args)
{
    CPoint point;
    if (args.size() != 2 || !ParsePoint(args[1], point))
        return ReportError("pick: give IN and X,Y (see velmoro pick --help)");
    CDibEdit image;
    DWORD code = image.Load(args[0].c_str());
    if (code != DIB_OK)
        return ReportFailure(args[0], code);
    DWORD color = 0;
    code = image.GetColorFromPoint(point, &color);
    if (code != DIB_OK)
        return ReportFailure(args[0], code);
    std::printf("%02X%02X%02X\n", GetRValue(color), GetGValue(color), GetBValue(color));
    return 0;
}

const CommandRegistration kMask{{"mask", "paint every second pixel in one colour (50 % mask)",
                                 "usage: velmoro mask IN OUT --color RRGGBB [--phase 0|1]\n\n"
                                 "Paints a checkerboard in the colour over an 8-, 16- or 24-bit image:\n"
                                 "phase 0 paints the top-left pixel, phase 1 the pixels beside it.\n"
                                 "At 8 bits the colour must be in the colour table (else entry 0).\n\n"
                                 "example: velmoro mask photo.bmp masked.bmp --color FF00FF --phase 1",
                                 RunMask}};

const CommandRegistration kFade{{"fade", "add a level to every channel of a 24-bit image",
                                 "usage: velmoro fade IN OUT --level N\n\n"
                                 "Adds N (negative darkens) to blue, green and red of every pixel,\n"
                                 "saturating at 0 and 255.\n\n"
                                 "example: velmoro fade photo.bmp brighter.bmp --level 40",
                                 RunFade}};

const CommandRegistration kFilter{{"filter", "3 x 3 convolution of a 24-bit image",
                                   "usage: velmoro filter IN OUT --kernel k1,...,k9 [--divisor D] [--bias B]\n\n"
                                   "Each channel becomes trunc(sum / D) + B, clamped to 0..255, where the\n"
                                   "sum weights the 3 x 3 neighbourhood: k1-k3 the row shown below the\n"
                                   "pixel, k4-k6 its own row, k7-k9 the row shown above; each left,\n"
                                   "centre, right. Pixels outside the image count as 0. D defaults to 1\n"
                                   "and must not be 0; B defaults to 0.\n\n"
                                   "example: velmoro filter photo.bmp blurred.bmp --kernel 1,1,1,1,1,1,1,1,1 --divisor 9",
                                   RunFilter}};

const CommandRegistration kPick{{"pick", "print the colour of one pixel as RRGGBB",
                                 "usage: velmoro pick IN X,Y\n\n"
                                 "X and Y count from the top-left pixel as displayed.\n\n"
                                 "example: velmoro pick photo.bmp 10,20",
                                 RunPick}};

}  // namespace
}  // namespace velmoro_tool
