// velmoro region and velmoro draw: the key-colour region of an image, and what
// drawing an image into a memory context produces.
#include "canvas.h"
#include "command.h"
#include "image_input.h"
#include "image_output.h"

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
    const std::string& in = args.Text("IN");
    const DWORD key = args.Color("--key");
    CDib image;
    LoadInput(in, image);
    OwnedRegion region;
    Check(image.CreateRegionFromScanLine(&region.handle, key), in);

    std::vector<BYTE> buffer(GetRegionData(region.handle, 0, NULL));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (buffer.empty() || GetRegionData(region.handle, static_cast<DWORD>(buffer.size()), data) == 0)
        throw Failure(in, "cannot read the region back");
    const RECT& box = data->rdh.rcBound;
    if (args.Has("--summary")) {
        std::printf("%s: %u rectangles, bounding box %d,%d,%d,%d\n", in.c_str(), data->rdh.nCount, box.left, box.top,
                    box.right, box.bottom);
        return 0;
    }
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        std::printf("%d,%d,%d,%d\n", rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    return 0;
}

int RunDraw(const Arguments& args)
{
    const std::string& in = args.Text("IN");
    const std::string& out = args.Text("OUT");
    const Extent size = args.Size("--size");
    const JpegSettings settings = JpegSettingsFrom(args, out);
    CDib image;
    LoadInput(in, image);
    CDib drawn;
    Check(DrawIntoMemoryContext(image, size.width, size.height, drawn), in);
    SaveOutput(drawn, out, settings);
    return 0;
}

const CommandRegistration kRegion{{"region", "list the region of the pixels that are not a key colour",
                                   "IN --key RRGGBB [--summary]",
                                   "Prints the rectangles (L,T,R,B; right and bottom exclusive, top to\n"
                                   "bottom in bands) that cover every pixel of an 8, 16 or 24-bit image\n"
                                   "whose colour is not the key; with --summary only their number and\n"
                                   "bounding box.\n\n"
                                   "example: velmoro region sprite.bmp --key FF00FF --summary",
                                   RunRegion}};

const CommandRegistration kDraw{{"draw", "draw an image stretched into a memory context and save it",
                                 "IN OUT --size WxH [--quality N] [--subsampling 444|422|420]",
                                 "Draws the image stretched (nearest neighbour) into a memory device\n"
                                 "context on a W x H 24-bit surface and writes the surface.\n\n"
                                 "example: velmoro draw photo.bmp thumb.bmp --size 160x120",
                                 RunDraw}};

}  // namespace
}  // namespace velmoro_tool
