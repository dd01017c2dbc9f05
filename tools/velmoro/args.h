// Helpers shared by the subcommands: whole-or-nothing output files, options,
// numbers, colours and points.
#ifndef VELMORO_TOOLS_ARGS_H
#define VELMORO_TOOLS_ARGS_H

#include <velmoro/platform/geometry.h>
#include <velmoro/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velmoro_tool {

// Lets `write` fill a fresh temporary file beside `path`, then renames it over
// `path`. When `write` returns false, or the rename fails, the temporary file is
// removed and `path` is left as it was. True when `path` now holds the output.
bool WriteWholeOrNothing(const std::string& path, const std::function<bool(const std::string& tempPath)>& write);

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--name" -> value
};

// Every "--name VALUE" pair must be one of optionNames; false with a message otherwise.
bool ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& optionNames,
               ParsedArgs& parsed, std::string& error);

// Whole-string decimal integers in int range.
bool ParseInt(const std::string& text, int& value);
// "1,-2,3": exactly count integers.
bool ParseIntList(const std::string& text, size_t count, std::vector<int>& values);
// RRGGBB (hex, optional leading '#') as 0x00BBGGRR.
bool ParseColor(const std::string& text, DWORD& color);
// "X,Y".
bool ParsePoint(const std::string& text, CPoint& point);

}  // namespace velmoro_tool

#endif
