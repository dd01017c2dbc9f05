// Argument forms shared by the velmoro subcommands, and whole-or-nothing output.
#ifndef VELMORO_TOOLS_ARGS_H
#define VELMORO_TOOLS_ARGS_H

#include <velmoro/dib.h>

#include <string>

namespace velmoro_tool {

// "RRGGBB" in hexadecimal (an optional leading '#') into a 0x00BBGGRR colour.
bool ParseColor(const std::string& text, DWORD& color);

// "L,T,R,B": four signed integers.
bool ParseRect(const std::string& text, CRect& rect);

// Writes the image under a temporary name in the target's folder and renames
// it into place, so the target is either the whole new file or untouched.
DWORD WriteBmpWhole(CDib& image, const std::string& path);

}  // namespace velmoro_tool

#endif
