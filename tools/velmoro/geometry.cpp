// velmoro crop, join, flip and interlace: geometry edits of BMP files.
#include "args.h"
#include "command.h"

#include <velmoro/dib_edit.h>

#include <algorithm>
#include <map>

namespace velmoro_tool {
namespace {

// Positional arguments in order; "--name" flags, and "--name VALUE" for the
// options listed as taking a value.
struct Arguments {
    std::vector<std::string> files;
    std::map<std::string, std::string> options;
    std::string error;
};

Arguments SplitArguments(const std::vector<std::string>& args, const std::vector<std::string>& valued)
{
    Arguments parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            parsed.files.push_back(arg);
            continue;
        }
        const bool takesValue = std::find(valued.begin(), valued.end(), arg) != valued.end();
        if (takesValue && i + 1 == args.size()) {
            parsed.error = arg + " needs a value";
            return parsed;
        }
        parsed.options[arg] = takesValue ? args[++i] : "";
    }
    return parsed;
}

// Exactly one of the two direction flags.
bool PickDirection(const Arguments& parsed, const char* first, const char* second, bool& isFirst)
{
    const bool hasFirst = parsed.options.count(first) != 0;
    const bool hasSecond = parsed.options.count(second) != 0;
    isFirst = hasFirst;
    return hasFirst != hasSecond;
}

bool ReadFill(const Arguments& parsed, DWORD& color)
{
    color = 0;
    const auto found = parsed.options.find("--fill");
    return found == parsed.options.end() || ParseColor(found->second, color);
}

int LoadImage(const std::string& path, CDibEdit& image)
{
    const DWORD code = image.Load(path.c_str());
    return code == DIB_OK ? 0 : ReportFailure(path, code);
}

int Finish(CDibEdit& image, DWORD code, const std::string& input, const std::string& output)
{
    if (code != DIB_OK)
        return ReportFailure(input, code);
    const DWORD written = WriteBmpWhole(image, output);
    return written == DIB_OK ? 0 : ReportFailure(output, written);
}

int RunCrop(const std::vector<std::string>& args)
{
    const Arguments parsed = SplitArguments(args, {});
    CRect rect;
    if (parsed.files.size() != 3 || !parsed.options.empty() || !ParseRect(parsed.files[2], rect))
        return ReportError("crop: expected IN OUT L,T,R,B (see velmoro crop --help)");
    CDibEdit source, target;
    if (int failed = LoadImage(parsed.files[0], source))
        return failed;
    return Finish(target, target.CropFrom(source, &rect), parsed.files[0], parsed.files[1]);
}

int RunJoin(const std::vector<std::string>& args)
{
    const Arguments parsed = SplitArguments(args, {"--fill"});
    bool horizontal = false;
    DWORD fill = 0;
    if (!parsed.error.empty() || parsed.files.size() != 3 || !PickDirection(parsed, "--horz", "--vert", horizontal) ||
        !ReadFill(parsed, fill))
        return ReportError("join: expected A B OUT --horz|--vert [--fill RRGGBB] (see velmoro join --help)");
    CDibEdit first, second;
    if (int failed = LoadImage(parsed.files[0], first))
        return failed;
    if (int failed = LoadImage(parsed.files[1], second))
        return failed;
    const DWORD code = horizontal ? first.JoinHorz(second, fill) : first.JoinVert(second, fill);
    return Finish(first, code, parsed.files[0] + " and " + parsed.files[1], parsed.files[2]);
}

int RunFlip(const std::vector<std::string>& args)
{
    const Arguments parsed = SplitArguments(args, {});
    bool vertical = false;
    if (parsed.files.size() != 2 || !PickDirection(parsed, "--vert", "--horz", vertical) || parsed.options.size() != 1)
        return ReportError("flip: expected IN OUT --vert|--horz (see velmoro flip --help)");
    CDibEdit image;
    if (int failed = LoadImage(parsed.files[0], image))
        return failed;
    return Finish(image, vertical ? image.InvertDibVert() : image.InvertDibHorz(), parsed.files[0], parsed.files[1]);
}

int RunInterlace(const std::vector<std::string>& args)
{
    const Arguments parsed = SplitArguments(args, {"--phase", "--fill"});
    bool horizontal = false;
    DWORD fill = 0;
    const auto phase = parsed.options.find("--phase");
    if (!parsed.error.empty() || parsed.files.size() != 2 || !PickDirection(parsed, "--horz", "--vert", horizontal) ||
        phase == parsed.options.end() || (phase->second != "0" && phase->second != "1") || !ReadFill(parsed, fill))
        return ReportError(
            "interlace: expected IN OUT --horz|--vert --phase 0|1 [--fill RRGGBB] (see velmoro interlace --help)");
    CDibEdit source, target;
    if (int failed = LoadImage(parsed.files[0], source))
        return failed;
    const int keepEven = phase->second == "1" ? 1 : 0;
    const DWORD code = horizontal ? target.CreateHorzInterlaceFrom(source, keepEven, fill)
                                  : target.CreateVertInterlaceFrom(source, keepEven, fill);
    return Finish(target, code, parsed.files[0], parsed.files[1]);
}

const CommandRegistration kCrop{
    {"crop", "cut a rectangle out of a BMP file",
     "usage: velmoro crop IN OUT L,T,R,B\n\n"
     "Writes the part of IN that the rectangle covers: columns L to R-1 and rows T to B-1,\n"
     "counted from the top-left pixel. The rectangle is clipped to the picture; one that\n"
     "covers nothing of it is refused. 8-, 16- and 24-bit images.\n\n"
     "example: velmoro crop photo.bmp face.bmp 120,40,280,220",
     RunCrop}};

const CommandRegistration kJoin{
    {"join", "put two BMP files side by side or one above the other",
     "usage: velmoro join A B OUT --horz|--vert [--fill RRGGBB]\n\n"
     "--horz puts B to the right of A, both aligned at the top; --vert puts B below A,\n"
     "both aligned at the left. Where one is smaller the rest is the fill colour\n"
     "(default 000000). Both files need the same depth and 16-bit layout; OUT keeps A's\n"
     "colour table and B's indices are copied as they are.\n\n"
     "example: velmoro join left.bmp right.bmp pair.bmp --horz --fill FFFFFF",
     RunJoin}};

const CommandRegistration kFlip{{"flip", "mirror a BMP file top to bottom or left to right",
                                 "usage: velmoro flip IN OUT --vert|--horz\n\n"
                                 "--vert mirrors top to bottom, --horz left to right. 8-, 16- and 24-bit images.\n\n"
                                 "example: velmoro flip sprite.bmp sprite-left.bmp --horz",
                                 RunFlip}};

const CommandRegistration kInterlace{
    {"interlace", "replace every second row or column of a BMP file by a solid line",
     "usage: velmoro interlace IN OUT --horz|--vert --phase 0|1 [--fill RRGGBB]\n\n"
     "--horz works on rows counted from the top, --vert on columns counted from the left.\n"
     "--phase 1 keeps lines 0, 2, 4, ... and fills the others; --phase 0 fills lines\n"
     "0, 2, 4, ... instead. The fill colour defaults to 000000; at 8 bits it is the first\n"
     "colour-table entry equal to it, or entry 0.\n\n"
     "example: velmoro interlace frame.bmp scan.bmp --horz --phase 1 --fill 202020",
     RunInterlace}};

}  // namespace
}  // namespace velmoro_tool
