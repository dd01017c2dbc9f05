// SPDX-License-Identifier: MIT
// velmoro mask|fade|filter|pick: the pixel effects.
#include "command.h"
#include "image_input.h"
#include "image_output.h"
#include "operands.h"
#include "standard_streams.h"

#include <velmoro/dib_edit.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>

namespace velmoro_tool {
namespace {

// A step that applies one library effect to the picture.
PictureStep EffectStep(const std::function<DWORD(CDibEdit&)>& effect)
{
    PictureStep step;
    step.apply = [effect](CDibEdit& image, const std::string& in) { CheckOperation(effect(image), in, image); };
    return step;
}

PictureStep PrepareMask(const Arguments& args, int)
{
    const DWORD color = args.Color("--color");
    const int phase = args.Int("--phase", 0, 1, 0);
    return EffectStep([color, phase](CDibEdit& image) { return image.MaskImage50(color, phase); });
}

PictureStep PrepareFade(const Arguments& args, int)
{
    const int level = args.Int("--level", -255, 255);
    return EffectStep([level](CDibEdit& image) { return image.FadeDib(level); });
}

PictureStep PrepareFilter(const Arguments& args, int)
{
    std::vector<int> kernel = args.Ints("--kernel", 9);
    // Given top row first, as a person reads them; the library takes stored
    // rows, which run bottom-up.
    std::swap_ranges(kernel.begin(), kernel.begin() + 3, kernel.begin() + 6);
    const int divisor = args.Int("--divisor", INT32_MIN, INT32_MAX, 1);
    if (divisor == 0)
        throw UsageError("--divisor must not be 0");
    const int bias = args.Int("--bias", INT32_MIN, INT32_MAX, 0);
    // Each call gets its own copy: the library takes the weights through a non-const pointer.
    return EffectStep([kernel, divisor, bias](CDibEdit& image) {
        std::vector<int> weights = kernel;
        return image.FilterDib(weights.data(), divisor, bias);
    });
}

int RunPick(const Arguments& args)
{
    const std::string& file = args.Text("IN");
    const std::string in = InputName(file);
    const CPoint point = args.Point("X,Y");
    CDibEdit image;
    LoadInput(file, image);
    DWORD color = 0;
    const DWORD code = image.GetColorFromPoint(point, &color);
    if (code == DIB_ERR_OUT_OF_IMAGE)
        throw Failure(in, "the point " + args.Text("X,Y") + " lies outside the " + SizeText(image) + " picture");
    CheckOperation(code, in, image);
    std::printf("%02X%02X%02X\n", GetRValue(color), GetGValue(color), GetBValue(color));
    return 0;
}

const CommandRegistration kMask{{"mask", "paint every second pixel in one colour (50 % mask)",
                                 "--color RRGGBB [--phase 0|1]",
                                 "Paints a checkerboard in the colour over an 8-, 16- or 24-bit image:\n"
                                 "phase 0 (the default) paints the top-left pixel, phase 1 the pixels\n"
                                 "beside it. At 8 bits the colour must be in the colour table (else\n"
                                 "entry 0).\n\n"
                                 "example: velmoro mask photo.bmp masked.bmp --color FF00FF --phase 1",
                                 nullptr, PrepareMask}};

const CommandRegistration kFade{{"fade", "add a level to every channel of a 24-bit image", "--level N",
                                 "Adds N (-255 to 255; negative darkens) to blue, green and red of\n"
                                 "every pixel, saturating at 0 and 255.\n\n"
                                 "example: velmoro fade photo.bmp brighter.bmp --level 40",
                                 nullptr, PrepareFade}};

const CommandRegistration kFilter{{"filter", "3 x 3 convolution of a 24-bit image",
                                   "--kernel k1,...,k9 [--divisor D] [--bias B]",
                                   "Each channel becomes trunc(sum / D) + B, clamped to 0..255, where the\n"
                                   "sum weights the 3 x 3 neighbourhood as it is shown: k1-k3 the row\n"
                                   "above the pixel, k4-k6 its own row, k7-k9 the row below; each left,\n"
                                   "centre, right. Pixels outside the image count as 0. D defaults to 1\n"
                                   "and must not be 0; B defaults to 0.\n\n"
                                   "example: velmoro filter photo.bmp blurred.bmp --kernel 1,1,1,1,1,1,1,1,1 --divisor 9",
                                   nullptr, PrepareFilter}};

const CommandRegistration kPick{{"pick", "print the colour of one pixel as RRGGBB", "IN X,Y",
                                 "X and Y count from the top-left pixel as displayed.\n\n"
                                 "example: velmoro pick photo.bmp 10,20",
                                 RunPick}};

}  // namespace
}  // namespace velmoro_tool
