// velmoro blend: mix two BMP images of the same size with one weight.
#include "args.h"
#include "command.h"

#include <velmoro/dib_edit.h>

#include <string>

namespace velmoro_tool {
namespace {

int RunBlend(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    int alpha = -1;
    bool direct = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--alpha" && i + 1 < args.size()) {
            if (!ParseInt(args[++i], alpha) || alpha < 0 || alpha > 255)
                return ReportError("blend: --alpha wants a number from 0 to 255, not '" + args[i] + "'");
        } else if (arg == "--direct") {
            direct = true;
        } else if (arg.rfind("--", 0) == 0) {
            return ReportError("blend: unknown or incomplete option '" + arg + "' (see velmoro blend --help)");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 3 || alpha < 0)
        return ReportError("blend: give A, B, OUT and --alpha N (see velmoro blend --help)");
    CDibEdit a, b;
    DWORD code = a.Load(files[0].c_str());
    if (code != DIB_OK)
        return ReportFailure(files[0], code);
    code = b.Load(files[1].c_str());
    if (code != DIB_OK)
        return ReportFailure(files[1], code);
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return ReportError("blend: " + files[0] + " is " + std::to_string(a.GetWidth()) + " x " +
                           std::to_string(a.GetHeight()) + ", " + files[1] + " is " + std::to_string(b.GetWidth()) +
                           " x " + std::to_string(b.GetHeight()) + "; the sizes must match");
    const unsigned char weight = static_cast<unsigned char>(alpha);
    code = direct ? a.AlphaBlendDirect(a, b, weight) : a.AlphaBlend(b, weight);
    if (code != DIB_OK)
        return ReportFailure(files[1], code);
    code = WriteBmpWhole(a, files[2]);
    if (code != DIB_OK)
        return ReportFailure(files[2], code);
    return 0;
}

const CommandRegistration kBlend{
    {"blend", "mix two images of the same size, depth and layout with one weight",
     "usage: velmoro blend A B OUT --alpha N [--direct]\n\n"
     "Writes A weighted by N/256 plus B weighted by the rest to OUT (16 or 24 bits; the\n"
     "blend term is rounded toward zero, so N = 255 is not quite A). --direct divides\n"
     "by 255 at 16 bits, so that N = 255 gives A and 0 gives B. OUT is written whole\n"
     "or not at all.\n\n"
     "example: velmoro blend day.bmp night.bmp dusk.bmp --alpha 96",
     RunBlend}};

}  // namespace
}  // namespace velmoro_tool
