#include "args.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace velmoro_tool {
namespace {

bool ParsePositive(const std::string& text, int* value)
{
    if (text.empty() || text.size() > 9 || !std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || parsed <= 0)
        return false;
    *value = static_cast<int>(parsed);
    return true;
}

}  // namespace

bool ParseColor(const std::string& text, DWORD* color)
{
    const std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (digits.size() != 6)
        return false;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    const unsigned long rgb = std::strtoul(digits.c_str(), nullptr, 16);
    *color = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

bool ParseSize(const std::string& text, int* width, int* height)
{
    const size_t cross = text.find('x');
    return cross != std::string::npos && ParsePositive(text.substr(0, cross), width) &&
           ParsePositive(text.substr(cross + 1), height);
}

DWORD WriteBmpWhole(CDib& image, const std::string& path)
{
    std::vector<char> temporary(path.begin(), path.end());
    const std::string suffix = ".XXXXXX";
    temporary.insert(temporary.end(), suffix.begin(), suffix.end());
    temporary.push_back('\0');
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return DIB_ERR_OPEN;
    // mkstemp makes the file private; give it the permissions a new file would have.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    DWORD code = static_cast<DWORD>(image.WriteBmp(temporary.data()));
    if (code == DIB_OK && std::rename(temporary.data(), path.c_str()) != 0)
        code = DIB_ERR_WRITE;
    if (code != DIB_OK)
        std::remove(temporary.data());
    return code;
}

}  // namespace velmoro_tool
