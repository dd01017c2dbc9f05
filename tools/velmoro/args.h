// Helpers shared by the velmoro subcommands: argument parsing and whole-or-nothing output files.
#ifndef VELMORO_TOOLS_ARGS_H
#define VELMORO_TOOLS_ARGS_H

#include <velmoro/dib.h>

#include <functional>
#include <string>

namespace velmoro_tool {

// "RRGGBB" in hexadecimal (a leading '#' allowed) as a 0x00BBGGRR colour.
bool ParseColor(const std::string& text, DWORD* color);
// "L,T,R,B": four signed 32-bit integers.
bool ParseRect(const std::string& text, CRect* rect);
// "WxH" with both sides positive.
bool ParseSize(const std::string& text, int* width, int* height);

// Lets `write` fill a fresh temporary file beside `path`, then renames it over
// `path`. When `write` returns false, or the rename fails, the temporary file is
// removed and `path` is left as it was. True when `path` now holds the output.
bool WriteWholeOrNothing(const std::string& path, const std::function<bool(const std::string& tempPath)>& write);

// The image as a BMP file that appears whole or not at all; the writer's result code.
DWORD WriteBmpWhole(CDib& image, const std::string& path);

}  // namespace velmoro_tool

#endif
