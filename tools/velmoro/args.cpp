#include "args.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace velmoro_tool {

bool ParseColor(const std::string& text, DWORD& color)
{
    const std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    const unsigned long rrggbb = std::strtoul(hex.c_str(), NULL, 16);
    color = RGB(rrggbb >> 16, rrggbb >> 8, rrggbb);
    return true;
}

bool ParseInt(const std::string& text, int& value)
{
    if (text.empty())
        return false;
    char* end = NULL;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseLayout(const std::string& text, DWORD& format)
{
    if (text != "555" && text != "565")
        return false;
    format = text == "565" ? DIB_FORMAT_565 : DIB_FORMAT_555;
    return true;
}

DWORD WriteBmpWhole(CDib& image, const std::string& path)
{
    std::vector<char> temp(path.begin(), path.end());
    const std::string suffix = ".partial-XXXXXX";
    temp.insert(temp.end(), suffix.begin(), suffix.end());
    temp.push_back('\0');
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return DIB_ERR_WRITE;
    // mkstemp makes the file private; the output gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    DWORD code = static_cast<DWORD>(image.WriteBmp(temp.data()));
    if (code == DIB_OK && std::rename(temp.data(), path.c_str()) != 0)
        code = DIB_ERR_WRITE;
    if (code != DIB_OK)
        std::remove(temp.data());
    return code;
}

}  // namespace velmoro_tool
