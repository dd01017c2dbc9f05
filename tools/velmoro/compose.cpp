// SPDX-License-Identifier: MIT
// velmoro compose: draw one image over another with an optional key colour.
#include "batch.h"
#include "command.h"
#include "image_input.h"
#include "operands.h"
#include "standard_streams.h"

#include <velmoro/dib_edit.h>

namespace velmoro_tool {
namespace {

int RunCompose(const Arguments& args)
{
    const std::string& baseFile = args.Text("BASE");
    const std::string& overlayFile = args.Text("OVERLAY");
    const std::string& out = args.Text("OUT");
    const int format = OutputFormat(args, out);
    const int useKey = args.Has("--key") ? 1 : 0;
    const DWORD givenKey = args.Color("--key", 0);
    CPoint point = args.Has("--at") ? args.Point("--at") : CPoint();
    CRect rect = args.Has("--rect") ? args.Rect("--rect") : CRect();
    if (rect.left > rect.right || rect.top > rect.bottom)
        throw UsageError("--rect takes L,T,R,B with L <= R and T <= B");

    CDibEdit base, overlay;
    LoadInput(baseFile, base);
    LoadInput(overlayFile, overlay);
    const Depth overlayDepth = DepthOf(overlay);
    const std::string baseName = InputName(baseFile), overlayName = InputName(overlayFile);
    BringToOneDepth(base, baseName, overlay, overlayName, args.Has("--verbose"));
    const DWORD key = ColorThroughConversion(givenKey, overlayDepth, overlay);
    // CombineDib cuts the overlay at a negative point only when it has a source
    // rectangle; without --rect that is the whole overlay.
    if (!args.Has("--rect"))
        rect = CRect(0, 0, overlay.GetWidth(), overlay.GetHeight());
    CDibEdit::TryEnableMMXSupport();  // the twins give the same pixels as the plain rows
    CDibEdit composite;
    CDibEdit& result = args.Has("--in-place") ? base : composite;
    const CPoint at = point;  // CombineDib clips the point in place
    const DWORD code = args.Has("--in-place") ? base.CombineDib(overlay, key, &point, &rect, useKey)
                                              : composite.CombineDib(base, overlay, key, &point, &rect, useKey);
    if (code == DIB_ERR_BAD_POSITION)
        throw Failure(overlayName, "at " + std::to_string(at.x) + "," + std::to_string(at.y) +
                                       " it falls outside the " + SizeText(base) + " picture " + baseName);
    CheckOperation(code, overlayName, overlay);
    WriteOutput(result, out, JpegSettings(), format);
    return 0;
}

const CommandRegistration kCompose{
    {"compose", "draw an overlay onto a base image, with an optional key colour",
     "BASE OVERLAY OUT [--key RRGGBB] [--at X,Y] [--rect L,T,R,B] [--in-place] [--verbose]"
     " [--format bmp|jpeg|png]",
     "Draws the rectangle L,T,R,B of OVERLAY (default: all of it) onto BASE with its\n"
     "top-left corner at X,Y (default 0,0; negative values cut the overlay) and writes\n"
     "the result to OUT. With --key, overlay pixels of that colour let the base show\n"
     "through. Images of 8, 16 or 24 bits; the one of less depth is first converted\n"
     "to the other's (5-6-5 counts above 5-5-5; the key still meets the overlay's\n"
     "pixels of its colour), which --verbose reports.\n"
     "--in-place draws into the loaded base instead of a new image; the pixels are\n"
     "the same.\n\n"
     "example: velmoro compose background.bmp sprite.bmp scene.bmp --key FF00FF --at 120,40",
     RunCompose}};

}  // namespace
}  // namespace velmoro_tool
