// SPDX-License-Identifier: MIT
// velmoro create: a blank image of one colour.
#include "batch.h"
#include "command.h"
#include "standard_streams.h"

#include <velmoro/dib.h>

namespace velmoro_tool {
namespace {

int RunCreate(const Arguments& args)
{
    const std::string& out = args.Text("OUT");
    const int format = OutputFormat(args, out);
    const Extent size = args.Size("--size");
    CDib image;
    Check(image.Create(size.width, size.height, args.Int("--bits", 1, 24), args.Color("--color", 0),
                       args.Layout("--layout", DIB_FORMAT_555)),
          OutputName(out));
    WriteOutput(image, out, JpegSettings(), format);
    return 0;
}

const CommandRegistration kCreate{{"create", "write a blank image of one colour",
                                   "OUT --size WxH --bits N [--color RRGGBB] [--layout 555|565] [--format bmp|jpeg|png]",
                                   "N is 1, 4, 8, 16 or 24; the colour defaults to 000000. Palette\n"
                                   "depths get the standard two-colour, sixteen-colour or halftone table,\n"
                                   "and a colour that is not in it fills as black. --layout picks the\n"
                                   "16-bit layout (5-5-5 by default).\n\n"
                                   "example: velmoro create sky.bmp --size 640x480 --bits 24 --color 87CEEB",
                                   RunCreate}};

}  // namespace
}  // namespace velmoro_tool
