// Argument helpers shared by the velmoro subcommands.
#ifndef VELMORO_TOOLS_ARGS_H
#define VELMORO_TOOLS_ARGS_H

#include <velmoro/dib.h>

#include <string>

namespace velmoro_tool {

// "RRGGBB" in hexadecimal (a leading '#' allowed) as a 0x00BBGGRR colour.
bool ParseColor(const std::string& text, DWORD* color);
// "WxH" with both sides positive.
bool ParseSize(const std::string& text, int* width, int* height);
// Writes the image as a BMP file that appears whole or not at all: the bytes go
// to a temporary file in the same folder, which is then renamed into place.
DWORD WriteBmpWhole(CDib& image, const std::string& path);

}  // namespace velmoro_tool

#endif
