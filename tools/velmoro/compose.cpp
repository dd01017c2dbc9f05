// velmoro compose: draw one BMP over another with an optional key colour.
#include "args.h"
#include "command.h"

#include <velmoro/dib_edit.h>

#include <cstdio>

namespace velmoro_tool {
namespace {

int RunCompose(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    DWORD key = 0;
    int useKey = 0, inPlace = 0;
    CPoint point;
    CRect rect;
    CPoint* pointArg = nullptr;
    CRect* rectArg = nullptr;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--key" && hasValue) {
            if (!ParseColor(args[++i], key))
                return ReportError("compose: --key wants RRGGBB in hex, not '" + args[i] + "'");
            useKey = 1;
        } else if (arg == "--at" && hasValue) {
            if (!ParsePoint(args[++i], point))
                return ReportError("compose: --at wants X,Y, not '" + args[i] + "'");
            pointArg = &point;
        } else if (arg == "--rect" && hasValue) {
            if (!ParseRect(args[++i], rect) || rect.left > rect.right || rect.top > rect.bottom)
                return ReportError("compose: --rect wants L,T,R,B with L <= R and T <= B, not '" + args[i] + "'");
            rectArg = &rect;
        } else if (arg == "--in-place") {
            inPlace = 1;
        } else if (arg.rfind("--", 0) == 0) {
            return ReportError("compose: unknown or incomplete option '" + arg + "' (see velmoro compose --help)");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 3)
        return ReportError("compose: give BASE, OVERLAY and OUT (see velmoro compose --help)");
    CDibEdit base, overlay;
    DWORD code = base.Load(files[0].c_str());
    if (code != DIB_OK)
        return ReportFailure(files[0], code);
    code = overlay.Load(files[1].c_str());
    if (code != DIB_OK)
        return ReportFailure(files[1], code);
    // The twins give the same pixels as the plain rows.
    CDibEdit::TryEnableMMXSupport();
    CDibEdit composite;
    CDibEdit& result = inPlace ? base : composite;
    code = inPlace ? base.CombineDib(overlay, key, pointArg, rectArg, useKey)
                   : composite.CombineDib(base, overlay, key, pointArg, rectArg, useKey);
    if (code != DIB_OK)
        return ReportFailure(files[1], code);
    code = WriteBmpWhole(result, files[2]);
    if (code != DIB_OK)
        return ReportFailure(files[2], code);
    return 0;
}

const CommandRegistration kCompose{
    {"compose", "draw an overlay onto a base image, with an optional key colour",
     "usage: velmoro compose BASE OVERLAY OUT [--key RRGGBB] [--at X,Y] [--rect L,T,R,B] [--in-place]\n\n"
     "Draws the rectangle L,T,R,B of OVERLAY (default: all of it) onto BASE with its\n"
     "top-left corner at X,Y (default 0,0; top-down coordinates, negative values cut the\n"
     "overlay) and writes the result to OUT. With --key, overlay pixels of that colour\n"
     "let the base show through. Both images must have the same depth (8, 16 or 24\n"
     "bits) and layout. --in-place draws into the loaded base instead of a new image;\n"
     "the pixels are the same. OUT is written whole or not at all.\n\n"
     "example: velmoro compose background.bmp sprite.bmp scene.bmp --key FF00FF --at 120,40",
     RunCompose}};

}  // namespace
}  // namespace velmoro_tool
