// Argument helpers shared by the subcommands: options, numbers, colours,
// points, and writing an output file whole or not at all.
#ifndef VELMORO_TOOLS_ARGS_H
#define VELMORO_TOOLS_ARGS_H

#include <velmoro/dib.h>

#include <map>
#include <string>
#include <vector>

namespace velmoro_tool {

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

// Writes a temporary file beside path, then renames it over path, so a failed
// write never leaves a partial or clobbered output. DIB_OK or the failure code.
DWORD WriteBmpWhole(CDib& image, const std::string& path);

}  // namespace velmoro_tool

#endif
