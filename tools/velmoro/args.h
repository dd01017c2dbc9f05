// Helpers shared by the velmoro subcommands: argument forms and whole-or-nothing output files.
#ifndef VELMORO_TOOLS_ARGS_H
#define VELMORO_TOOLS_ARGS_H

#include <velmoro/dib.h>

#include <velmoro/platform/geometry.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velmoro_tool {

// "RRGGBB" in hexadecimal (an optional leading '#') into a 0x00BBGGRR colour.
bool ParseColor(const std::string& text, DWORD& color);
// A whole decimal int, nothing before or after it.
bool ParseInt(const std::string& text, int& value);
// "555" or "565" into DIB_FORMAT_555 or DIB_FORMAT_565.
bool ParseLayout(const std::string& text, DWORD& format);
// "1,-2,3": exactly count integers.
bool ParseIntList(const std::string& text, size_t count, std::vector<int>& values);
// "X,Y".
bool ParsePoint(const std::string& text, CPoint& point);
// "WxH" with both sides positive.
bool ParseSize(const std::string& text, int& width, int& height);

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--name" -> value
};

// Every "--name VALUE" pair must be one of optionNames; false with a message otherwise.
bool ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& optionNames,
               ParsedArgs& parsed, std::string& error);

// Lets `write` fill a fresh temporary file beside `path`, then renames it over
// `path`. When `write` returns false, or the rename fails, the temporary file is
// removed and `path` is left as it was. True when `path` now holds the output.
bool WriteWholeOrNothing(const std::string& path, const std::function<bool(const std::string& tempPath)>& write);

// The image as a BMP file that appears whole or not at all; the writer's result code.
DWORD WriteBmpWhole(CDib& image, const std::string& path);

}  // namespace velmoro_tool

#endif
