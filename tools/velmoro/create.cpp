// velmoro create: a blank BMP file of one colour.
#include "args.h"
#include "command.h"

#include <velmoro/dib.h>

namespace velmoro_tool {
namespace {

int RunCreate(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    DWORD format = DIB_FORMAT_555;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--layout") {
            if (i + 1 >= args.size() || !ParseLayout(args[++i], format))
                return ReportError("create: --layout takes 555 or 565");
        } else if (args[i].compare(0, 2, "--") == 0) {
            return ReportError("create: unknown option '" + args[i] + "'");
        } else {
            positional.push_back(args[i]);
        }
    }
    int width = 0, height = 0, bits = 0;
    DWORD color = 0;
    if (positional.size() != 5)
        return ReportError("create: needs OUT WIDTH HEIGHT BITS COLOUR (see velmoro create --help)");
    if (!ParseInt(positional[1], width) || !ParseInt(positional[2], height) || !ParseInt(positional[3], bits))
        return ReportError("create: WIDTH, HEIGHT and BITS are whole numbers");
    if (!ParseColor(positional[4], color))
        return ReportError("create: COLOUR is RRGGBB in hexadecimal, e.g. FF8000");
    CDib image;
    if (DWORD code = image.Create(width, height, bits, color, format))
        return ReportFailure(positional[0], code);
    if (DWORD code = WriteBmpWhole(image, positional[0]))
        return ReportFailure(positional[0], code);
    return 0;
}

const CommandRegistration kCreate{{"create", "write a blank BMP file of one colour",
                                   "usage: velmoro create OUT WIDTH HEIGHT BITS COLOUR [--layout 555|565]\n\n"
                                   "BITS is 1, 4, 8, 16 or 24; COLOUR is RRGGBB in hexadecimal. Palette\n"
                                   "depths get the standard two-colour, sixteen-colour or halftone table,\n"
                                   "and a colour that is not in it fills as black. --layout picks the\n"
                                   "16-bit layout (5-5-5 by default).\n\n"
                                   "example: velmoro create sky.bmp 640 480 24 87CEEB",
                                   RunCreate}};

}  // namespace
}  // namespace velmoro_tool
