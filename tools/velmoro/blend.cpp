// velmoro blend: mix two images of the same size with one weight.
#include "command.h"
#include "image_input.h"
#include "image_output.h"
#include "operands.h"

#include <velmoro/dib_edit.h>

namespace velmoro_tool {
namespace {

int RunBlend(const Arguments& args)
{
    const std::string& first = args.Text("A");
    const std::string& second = args.Text("B");
    const unsigned char alpha = static_cast<unsigned char>(args.Int("--alpha", 0, 255));
    CDibEdit a, b;
    LoadInput(first, a);
    LoadInput(second, b);
    BringToOneDepth(a, first, b, second, args.Has("--verbose"));
    CDibEdit::TryEnableMMXSupport();
    const DWORD code = args.Has("--direct") ? a.AlphaBlendDirect(a, b, alpha) : a.AlphaBlend(b, alpha);
    if (code == DIB_ERR_BAD_ARGUMENT && (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()))
        throw Failure(second, SizeText(b) + ", where " + first + " is " + SizeText(a) +
                                  ": the two pictures must be of one size");
    CheckOperation(code, second, b);
    SaveOutput(a, args.Text("OUT"));
    return 0;
}

const CommandRegistration kBlend{
    {"blend", "mix two images of the same size with one weight", "A B OUT --alpha N [--direct] [--verbose]",
     "Writes A weighted by N/256 plus B weighted by the rest to OUT (16 or 24 bits;\n"
     "the blend term is rounded toward zero, so N = 255 is not quite A). --direct\n"
     "divides by 255 at 16 bits, so that N = 255 gives A and 0 gives B. The image of\n"
     "less depth is first converted to the other's (5-6-5 counts above 5-5-5), which\n"
     "--verbose reports. Images of different sizes are refused.\n\n"
     "example: velmoro blend day.bmp night.bmp dusk.bmp --alpha 96",
     RunBlend}};

}  // namespace
}  // namespace velmoro_tool
