// SPDX-License-Identifier: MIT
// Arguments of the velmoro subcommands, and whole-or-nothing output files.
//
// A subcommand states its arguments once, as the usage line shows them:
//   "IN OUT L,T,R,B"                      positionals, in order
//   "[OUTDIR]"  "FILE..."                 optional; one or more (leaving one value
//                                         for each required positional after it)
//   "--alpha N"  "[--fill RRGGBB]"        options with a value (brackets only document)
//   "[--direct]"  "--horz|--vert"         flags; '|' lists alternatives
// Positionals come first, options after them. Arguments then looks every value
// up by the name the usage line shows, and turns it into the type wanted; a
// mistake throws UsageError with a message naming the argument.
#ifndef VELMORO_TOOLS_ARGS_H
#define VELMORO_TOOLS_ARGS_H

#include <velmoro/dib.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmoro_tool {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Extent {
    int width;
    int height;
};

class Arguments {
public:
    Arguments(const std::string& usage, const std::vector<std::string>& args);

    bool Has(const std::string& name) const { return m_values.count(name) != 0; }

    // Without a fallback the argument is required.
    const std::string& Text(const std::string& name) const;
    std::string Text(const std::string& name, const std::string& fallback) const;
    // Every value of a repeated positional ("FILE...").
    const std::vector<std::string>& List(const std::string& name) const;
    int Int(const std::string& name, int min, int max) const;
    int Int(const std::string& name, int min, int max, int fallback) const;
    // RRGGBB in hexadecimal (a leading '#' allowed) as a 0x00BBGGRR colour.
    DWORD Color(const std::string& name) const;
    DWORD Color(const std::string& name, DWORD fallback) const;
    // "555" or "565" as DIB_FORMAT_555 or DIB_FORMAT_565.
    DWORD Layout(const std::string& name, DWORD fallback) const;
    CPoint Point(const std::string& name) const;  // X,Y
    CRect Rect(const std::string& name) const;    // L,T,R,B
    Extent Size(const std::string& name) const;   // WxH, both positive
    std::vector<int> Ints(const std::string& name, size_t count) const;  // n1,n2,...
    // Exactly one of two flags must be given; true when it is the first.
    bool Choose(const std::string& first, const std::string& second) const;

private:
    template <typename T>
    T Convert(const std::string& name, const char* expected, const std::function<bool(const std::string&, T&)>& parse) const;

    std::map<std::string, std::string> m_placeholders;  // name -> how the usage line shows it
    std::map<std::string, std::vector<std::string>> m_values;
};

// Lets `write` fill a fresh temporary file beside `path`, then renames it over
// `path`, keeping an existing file's permissions. When `write` returns false, or
// the rename fails, the temporary file is removed and `path` is left as it was.
// A symbolic link's target is written and the link kept; a device or a pipe is
// written straight; a folder or a file this user may not write is refused.
// True when `path` now holds the output; when not, `error` (if given) receives
// the errno of the step that failed, 0 when that step set none.
bool WriteWholeOrNothing(const std::string& path, const std::function<bool(const std::string& tempPath)>& write,
                         int* error = nullptr);

// The image as a BMP file that appears whole or not at all; the writer's result
// code, DIB_ERR_WRITE when the temporary file or the rename fails, with the
// errno as WriteWholeOrNothing gives it.
DWORD WriteBmpWhole(CDib& image, const std::string& path, int* error = nullptr);

}  // namespace velmoro_tool

#endif
