// velmoro demo: makes its own pictures and runs them through the library, one
// timed line per step.
#include "command.h"

#include <velmoro/dib.h>
#include <velmoro/platform/file.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <vector>

namespace velmoro_tool {
namespace {

// A 24-bit BMP file in memory: a diagonal colour gradient.
std::vector<BYTE> GradientBmp(int width, int height)
{
    const size_t stride = static_cast<size_t>((width * 3 + 3) & ~3);
    std::vector<BYTE> file(54 + stride * static_cast<size_t>(height), 0);
    BITMAPFILEHEADER fileHeader{0x4D42, static_cast<DWORD>(file.size()), 0, 0, 54};
    BITMAPINFOHEADER header{40, width, height, 1, 24, BI_RGB, 0, 2835, 2835, 0, 0};
    std::memcpy(file.data(), &fileHeader, sizeof fileHeader);
    std::memcpy(file.data() + 14, &header, sizeof header);
    for (int y = 0; y < height; ++y) {
        BYTE* row = file.data() + 54 + stride * static_cast<size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<BYTE>(255 * y / height);
            row[3 * x + 1] = static_cast<BYTE>(255 * (x + y) / (width + height));
            row[3 * x + 2] = static_cast<BYTE>(255 * x / width);
        }
    }
    return file;
}

bool Step(const char* what, const std::function<DWORD()>& action)
{
    const auto start = std::chrono::steady_clock::now();
    const DWORD code = action();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const char* name = DibResultName(code);
    std::printf("  %-44s %8.3f ms  %s\n", what, ms, name ? name : "error");
    return code == DIB_OK;
}

int RunDemo(const std::vector<std::string>& args)
{
    const std::string dir = args.empty() ? "velmoro-demo" : args[0];
    if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
        return ReportError(dir + ": cannot make the folder");
    std::printf("velmoro demo: writing into %s/\n", dir.c_str());

    std::vector<BYTE> bytes = GradientBmp(640, 480);
    CDib picture, copy, reloaded;
    const std::string out = dir + "/gradient.bmp";
    bool ok = Step("load a 640 x 480 24-bit BMP from memory", [&] {
        CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
        return picture.Load(file, 0);
    });
    ok = ok && Step("deep copy", [&] { return copy.CopyDib(picture); });
    ok = ok && Step(("write " + out).c_str(), [&] { return static_cast<DWORD>(copy.WriteBmp(out.c_str())); });
    ok = ok && Step(("load " + out + " back").c_str(), [&] { return reloaded.Load(out.c_str()); });
    if (!ok)
        return ReportError("demo: a step failed");
    std::printf("wrote: %s\n", out.c_str());
    return 0;
}

const CommandRegistration kDemo{{"demo", "make sample pictures and run them through the library",
                                 "usage: velmoro demo [OUTDIR]\n\n"
                                 "Makes its own inputs, runs typical operations on them, prints one\n"
                                 "timed line per step and the files it wrote (default folder:\n"
                                 "./velmoro-demo).\n\n"
                                 "example: velmoro demo /tmp/velmoro-demo",
                                 RunDemo}};

}  // namespace
}  // namespace velmoro_tool
