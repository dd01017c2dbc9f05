// Helpers shared by the subcommands: whole-or-nothing output files.
#ifndef VELMORO_TOOLS_ARGS_H
#define VELMORO_TOOLS_ARGS_H

#include <functional>
#include <string>

namespace velmoro_tool {

// Lets `write` fill a fresh temporary file beside `path`, then renames it over
// `path`. When `write` returns false, or the rename fails, the temporary file is
// removed and `path` is left as it was. True when `path` now holds the output.
bool WriteWholeOrNothing(const std::string& path, const std::function<bool(const std::string& tempPath)>& write);

}  // namespace velmoro_tool

#endif
