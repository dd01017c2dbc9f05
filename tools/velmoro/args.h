// Argument forms shared by the velmoro subcommands, and whole-or-nothing output.
#ifndef VELMORO_TOOLS_ARGS_H
#define VELMORO_TOOLS_ARGS_H

#include <velmoro/dib.h>

#include <string>

namespace velmoro_tool {

// "RRGGBB" in hexadecimal (an optional leading '#') into a 0x00BBGGRR colour.
bool ParseColor(const std::string& text, DWORD& color);

// A whole decimal int, nothing before or after it.
bool ParseInt(const std::string& text, int& value);

// "555" or "565" into DIB_FORMAT_555 or DIB_FORMAT_565.
bool ParseLayout(const std::string& text, DWORD& format);

// Writes the image under a temporary name in the target's folder and renames
// it into place, so the target is either the whole new file or untouched.
DWORD WriteBmpWhole(CDib& image, const std::string& path);

}  // namespace velmoro_tool

#endif
