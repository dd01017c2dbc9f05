// SPDX-License-Identifier: MIT
// velmoro crop, join, flip and interlace: geometry edits.
#include "batch.h"
#include "command.h"
#include "image_input.h"
#include "operands.h"
#include "standard_streams.h"

#include <velmoro/dib_edit.h>

namespace velmoro_tool {
namespace {

PictureStep PrepareCrop(const Arguments& args, int)
{
    const CRect rect = args.Rect("L,T,R,B");
    const std::string rectText = args.Text("L,T,R,B");
    PictureStep step;
    step.apply = [rect, rectText](CDibEdit& image, const std::string& in) {
        CRect clipped = rect;
        const std::string size = SizeText(image);
        // A crop of an image itself gets a new pixel block.
        const DWORD code = image.CropFrom(image, &clipped);
        if (code == DIB_ERR_OUT_OF_IMAGE)
            throw Failure(in, "the rectangle " + rectText + " covers no pixel of the " + size + " picture");
        CheckOperation(code, in, image);
    };
    return step;
}

int RunJoin(const Arguments& args)
{
    const bool horizontal = args.Choose("--horz", "--vert");
    const DWORD fill = args.Color("--fill", 0);
    const std::string& firstFile = args.Text("A");
    const std::string& second = args.Text("B");
    const std::string& out = args.Text("OUT");
    const int format = OutputFormat(args, out);
    CDibEdit first, other;
    LoadInput(firstFile, first);
    LoadInput(second, other);
    BringToOneDepth(first, InputName(firstFile), other, InputName(second), args.Has("--verbose"));
    CheckOperation(horizontal ? first.JoinHorz(other, fill) : first.JoinVert(other, fill), InputName(second), other);
    WriteOutput(first, out, JpegSettings(), format);
    return 0;
}

PictureStep PrepareFlip(const Arguments& args, int)
{
    const bool vertical = args.Choose("--vert", "--horz");
    PictureStep step;
    step.apply = [vertical](CDibEdit& image, const std::string& in) {
        CheckOperation(vertical ? image.InvertDibVert() : image.InvertDibHorz(), in, image);
    };
    return step;
}

PictureStep PrepareInterlace(const Arguments& args, int)
{
    const bool horizontal = args.Choose("--horz", "--vert");
    const int phase = args.Int("--phase", 0, 1);
    const DWORD fill = args.Color("--fill", 0);
    PictureStep step;
    // The new image is made whole from the source before it replaces it.
    step.apply = [horizontal, phase, fill](CDibEdit& image, const std::string& in) {
        CheckOperation(horizontal ? image.CreateHorzInterlaceFrom(image, phase, fill)
                                  : image.CreateVertInterlaceFrom(image, phase, fill),
                       in, image);
    };
    return step;
}

const CommandRegistration kCrop{{"crop", "cut a rectangle out of an image", "L,T,R,B",
                                 "Writes the part of IN that the rectangle covers: columns L to R-1 and\n"
                                 "rows T to B-1, counted from the top-left pixel. The rectangle is clipped\n"
                                 "to the picture; one that covers nothing of it is refused. 8-, 16- and\n"
                                 "24-bit images.\n\n"
                                 "example: velmoro crop photo.jpg face.bmp 120,40,280,220",
                                 nullptr, PrepareCrop}};

const CommandRegistration kJoin{
    {"join", "put two images side by side or one above the other", "A B OUT --horz|--vert [--fill RRGGBB] [--verbose] [--format bmp|jpeg|png]",
     "--horz puts B to the right of A, both aligned at the top; --vert puts B below A,\n"
     "both aligned at the left. Where one is smaller the rest is the fill colour\n"
     "(default 000000). The image of less depth is first converted to the other's\n"
     "(5-6-5 counts above 5-5-5), which --verbose reports. At 8 bits OUT keeps A's\n"
     "colour table and B's indices are copied as they are.\n\n"
     "example: velmoro join left.bmp right.bmp pair.bmp --horz --fill FFFFFF",
     RunJoin}};

const CommandRegistration kFlip{{"flip", "mirror an image top to bottom or left to right", "--vert|--horz",
                                 "--vert mirrors top to bottom, --horz left to right. 8-, 16- and 24-bit\n"
                                 "images.\n\n"
                                 "example: velmoro flip sprite.bmp sprite-left.bmp --horz",
                                 nullptr, PrepareFlip}};

const CommandRegistration kInterlace{
    {"interlace", "replace every second row or column by a solid line",
     "--horz|--vert --phase 0|1 [--fill RRGGBB]",
     "--horz works on rows counted from the top, --vert on columns counted from the\n"
     "left. --phase 1 keeps lines 0, 2, 4, ... and fills the others; --phase 0 fills\n"
     "lines 0, 2, 4, ... instead. The fill colour defaults to 000000; at 8 bits it is\n"
     "the first colour-table entry equal to it, or entry 0.\n\n"
     "example: velmoro interlace frame.bmp scan.bmp --horz --phase 1 --fill 202020",
     nullptr, PrepareInterlace}};

}  // namespace
}  // namespace velmoro_tool
