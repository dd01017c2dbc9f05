// velmoro crop, join, flip and interlace: geometry edits.
#include "command.h"
#include "image_input.h"
#include "image_output.h"
#include "operands.h"

#include <velmoro/dib_edit.h>

namespace velmoro_tool {
namespace {

int RunCrop(const Arguments& args)
{
    const std::string& in = args.Text("IN");
    CRect rect = args.Rect("L,T,R,B");
    CDibEdit source, target;
    LoadInput(in, source);
    const DWORD code = target.CropFrom(source, &rect);
    if (code == DIB_ERR_OUT_OF_IMAGE)
        throw Failure(in, "the rectangle " + args.Text("L,T,R,B") + " covers no pixel of the " + SizeText(source) +
                              " picture");
    CheckOperation(code, in, source);
    SaveOutput(target, args.Text("OUT"));
    return 0;
}

int RunJoin(const Arguments& args)
{
    const bool horizontal = args.Choose("--horz", "--vert");
    const DWORD fill = args.Color("--fill", 0);
    const std::string& firstFile = args.Text("A");
    const std::string& second = args.Text("B");
    CDibEdit first, other;
    LoadInput(firstFile, first);
    LoadInput(second, other);
    BringToOneDepth(first, firstFile, other, second, args.Has("--verbose"));
    CheckOperation(horizontal ? first.JoinHorz(other, fill) : first.JoinVert(other, fill), second, other);
    SaveOutput(first, args.Text("OUT"));
    return 0;
}

int RunFlip(const Arguments& args)
{
    const bool vertical = args.Choose("--vert", "--horz");
    const std::string& in = args.Text("IN");
    CDibEdit image;
    LoadInput(in, image);
    CheckOperation(vertical ? image.InvertDibVert() : image.InvertDibHorz(), in, image);
    SaveOutput(image, args.Text("OUT"));
    return 0;
}

int RunInterlace(const Arguments& args)
{
    const bool horizontal = args.Choose("--horz", "--vert");
    const int phase = args.Int("--phase", 0, 1);
    const DWORD fill = args.Color("--fill", 0);
    const std::string& in = args.Text("IN");
    CDibEdit source, target;
    LoadInput(in, source);
    CheckOperation(horizontal ? target.CreateHorzInterlaceFrom(source, phase, fill)
                              : target.CreateVertInterlaceFrom(source, phase, fill),
                   in, source);
    SaveOutput(target, args.Text("OUT"));
    return 0;
}

const CommandRegistration kCrop{{"crop", "cut a rectangle out of an image", "IN OUT L,T,R,B",
                                 "Writes the part of IN that the rectangle covers: columns L to R-1 and\n"
                                 "rows T to B-1, counted from the top-left pixel. The rectangle is clipped\n"
                                 "to the picture; one that covers nothing of it is refused. 8-, 16- and\n"
                                 "24-bit images.\n\n"
                                 "example: velmoro crop photo.jpg face.bmp 120,40,280,220",
                                 RunCrop}};

const CommandRegistration kJoin{
    {"join", "put two images side by side or one above the other", "A B OUT --horz|--vert [--fill RRGGBB] [--verbose]",
     "--horz puts B to the right of A, both aligned at the top; --vert puts B below A,\n"
     "both aligned at the left. Where one is smaller the rest is the fill colour\n"
     "(default 000000). The image of less depth is first converted to the other's\n"
     "(5-6-5 counts above 5-5-5), which --verbose reports. At 8 bits OUT keeps A's\n"
     "colour table and B's indices are copied as they are.\n\n"
     "example: velmoro join left.bmp right.bmp pair.bmp --horz --fill FFFFFF",
     RunJoin}};

const CommandRegistration kFlip{{"flip", "mirror an image top to bottom or left to right", "IN OUT --vert|--horz",
                                 "--vert mirrors top to bottom, --horz left to right. 8-, 16- and 24-bit\n"
                                 "images.\n\n"
                                 "example: velmoro flip sprite.bmp sprite-left.bmp --horz",
                                 RunFlip}};

const CommandRegistration kInterlace{
    {"interlace", "replace every second row or column by a solid line",
     "IN OUT --horz|--vert --phase 0|1 [--fill RRGGBB]",
     "--horz works on rows counted from the top, --vert on columns counted from the\n"
     "left. --phase 1 keeps lines 0, 2, 4, ... and fills the others; --phase 0 fills\n"
     "lines 0, 2, 4, ... instead. The fill colour defaults to 000000; at 8 bits it is\n"
     "the first colour-table entry equal to it, or entry 0.\n\n"
     "example: velmoro interlace frame.bmp scan.bmp --horz --phase 1 --fill 202020",
     RunInterlace}};

}  // namespace
}  // namespace velmoro_tool
