// Argument parsing and whole-or-nothing output shared by the subcommands.
#ifndef VELMORO_TOOLS_ARGS_H
#define VELMORO_TOOLS_ARGS_H

#include <velmoro/dib.h>

#include <string>

namespace velmoro_tool {

// "RRGGBB" in hex, as on the web, into a colour 0x00BBGGRR.
bool ParseColor(const std::string& text, DWORD* color);
// "X,Y", signed.
bool ParsePoint(const std::string& text, CPoint* point);
// "L,T,R,B", signed.
bool ParseRect(const std::string& text, CRect* rect);
// A whole decimal number within [low, high].
bool ParseInteger(const std::string& text, long low, long high, long* value);

// Writes the image to a temporary file beside path and renames it over path, so that
// path holds either the whole new file or what it held before. DIB_OK or the failure.
DWORD WriteBmpWhole(CDib& image, const std::string& path);

}  // namespace velmoro_tool

#endif
