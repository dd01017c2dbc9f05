#include "args.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace velmoro_tool {
namespace {

bool ParseLong(const std::string& text, long& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && value >= INT32_MIN && value <= INT32_MAX;
}

}  // namespace

bool ParseColor(const std::string& text, DWORD& color)
{
    const std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (digits.size() != 6 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    const unsigned long rgb = std::strtoul(digits.c_str(), nullptr, 16);
    color = RGB(rgb >> 16, rgb >> 8, rgb);
    return true;
}

bool ParseRect(const std::string& text, CRect& rect)
{
    long values[4];
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? text.find(',', start) : text.size();
        if (comma == std::string::npos || !ParseLong(text.substr(start, comma - start), values[i]))
            return false;
        start = comma + 1;
    }
    rect = CRect(values[0], values[1], values[2], values[3]);
    return true;
}

DWORD WriteBmpWhole(CDib& image, const std::string& path)
{
    const std::string temporary = path + ".velmoro-" + std::to_string(getpid()) + ".tmp";
    const DWORD written = static_cast<DWORD>(image.WriteBmp(temporary.c_str()));
    if (written == DIB_OK && std::rename(temporary.c_str(), path.c_str()) == 0)
        return DIB_OK;
    std::remove(temporary.c_str());
    return written != DIB_OK ? written : DIB_ERR_WRITE;
}

}  // namespace velmoro_tool
