// SPDX-License-Identifier: MIT
// velmoro blend: mix two images of the same size with one weight.
#include "batch.h"
#include "command.h"
#include "image_input.h"
#include "operands.h"
#include "standard_streams.h"

#include <velmoro/dib_edit.h>

namespace velmoro_tool {
namespace {

int RunBlend(const Arguments& args)
{
    const std::string& first = args.Text("A");
    const std::string& second = args.Text("B");
    const std::string& out = args.Text("OUT");
    const int format = OutputFormat(args, out);
    const unsigned char alpha = static_cast<unsigned char>(args.Int("--alpha", 0, 255));
    CDibEdit a, b;
    LoadInput(first, a);
    LoadInput(second, b);
    const std::string firstName = InputName(first), secondName = InputName(second);
    BringToOneDepth(a, firstName, b, secondName, args.Has("--verbose"));
    CDibEdit::TryEnableMMXSupport();
    const DWORD code = args.Has("--direct") ? a.AlphaBlendDirect(a, b, alpha) : a.AlphaBlend(b, alpha);
    if (code == DIB_ERR_BAD_ARGUMENT && (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()))
        throw Failure(secondName, SizeText(b) + ", where " + firstName + " is " + SizeText(a) +
                                  ": the two pictures must be of one size");
    CheckOperation(code, secondName, b);
    WriteOutput(a, out, JpegSettings(), format);
    return 0;
}

const CommandRegistration kBlend{
    {"blend", "mix two images of the same size with one weight", "A B OUT --alpha N [--direct] [--verbose] [--format bmp|jpeg|png]",
     "Writes A weighted by N/256 plus B weighted by the rest to OUT (16 or 24 bits;\n"
     "the blend term is rounded toward zero, so N = 255 is not quite A). --direct\n"
     "divides by 255 at 16 bits, so that N = 255 gives A and 0 gives B. The image of\n"
     "less depth is first converted to the other's (5-6-5 counts above 5-5-5), which\n"
     "--verbose reports. Images of different sizes are refused.\n\n"
     "example: velmoro blend day.bmp night.bmp dusk.bmp --alpha 96",
     RunBlend}};

}  // namespace
}  // namespace velmoro_tool
