// SPDX-License-Identifier: MIT
// velmoro region and velmoro draw: the key-colour region of an image, and what
// drawing an image into a memory context produces.
#include "canvas.h"
#include "command.h"
#include "image_input.h"
#include "image_output.h"
#include "standard_streams.h"

#include <velmoro/dib.h>

#include <cstdio>
#include <vector>

namespace velmoro_tool {
namespace {

// A region handle deleted when it goes out of scope.
struct OwnedRegion {
    ~OwnedRegion() { DeleteObject(handle); }
    HRGN handle = NULL;
};

int RunRegion(const Arguments& args)
{
    const std::string& file = args.Text("IN");
    const std::string in = InputName(file);
    const DWORD key = args.Color("--key");
    CDib image;
    LoadInput(file, image);
    OwnedRegion region;
    const DWORD code = image.CreateRegionFromScanLine(&region.handle, key);
    // The library makes no region when no pixel has the key colour: then every
    // pixel is in it.
    if (code == DIB_ERR_REGION && image.GetHeight() > 0)
        region.handle = CreateRectRgn(0, 0, image.GetWidth(), image.GetHeight());
    else
        CheckOperation(code, in, image);

    std::vector<BYTE> buffer(GetRegionData(region.handle, 0, NULL));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (buffer.empty() || GetRegionData(region.handle, static_cast<DWORD>(buffer.size()), data) == 0)
        throw Failure(in, "cannot read the region back");
    const RECT& box = data->rdh.rcBound;
    if (args.Has("--summary")) {
        std::printf("%s: %s, bounding box %d,%d,%d,%d\n", in.c_str(), Counted(data->rdh.nCount, "rectangle").c_str(),
                    box.left, box.top, box.right, box.bottom);
        return 0;
    }
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        std::printf("%d,%d,%d,%d\n", rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    return 0;
}

PictureStep PrepareDraw(const Arguments& args, int outputFormat)
{
    const Extent size = args.Size("--size");
    PictureStep step;
    step.jpeg = JpegSettingsFrom(args, outputFormat);
    step.apply = [size](CDibEdit& image, const std::string& in) {
        CDib drawn;
        CheckOperation(DrawIntoMemoryContext(image, size.width, size.height, drawn), in, image);
        CheckOperation(image.CopyDib(drawn), in, drawn);
    };
    return step;
}

const CommandRegistration kRegion{{"region", "list the region of the pixels that are not a key colour",
                                   "IN --key RRGGBB [--summary]",
                                   "Prints the rectangles (L,T,R,B; right and bottom exclusive, top to\n"
                                   "bottom in bands) that cover every pixel of an 8, 16 or 24-bit image\n"
                                   "whose colour is not the key (the whole picture when no pixel has it);\n"
                                   "with --summary only their number and bounding box.\n\n"
                                   "example: velmoro region sprite.bmp --key FF00FF --summary",
                                   RunRegion}};

const CommandRegistration kDraw{{"draw", "draw an image stretched into a memory context and save it",
                                 "--size WxH [--quality N] [--subsampling 444|422|420]",
                                 "Draws the image stretched (nearest neighbour) into a memory device\n"
                                 "context on a W x H 24-bit surface and writes the surface.\n\n"
                                 "example: velmoro draw photo.bmp thumb.bmp --size 160x120",
                                 nullptr, PrepareDraw}};

}  // namespace
}  // namespace velmoro_tool
