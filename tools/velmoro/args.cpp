#include "args.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

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

bool ParseInt32(const std::string& text, LONG* value)
{
    if (text.empty() || text.size() > 11)
        return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    *value = static_cast<LONG>(parsed);
    return true;
}

// Reserves an unused name in the output's own folder, so the rename stays on one
// file system; the file is made with the usual permissions, unlike mkstemp's.
std::string ReserveTempName(const std::string& path)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(attempt);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST)
            break;
    }
    return std::string();
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

bool ParseRect(const std::string& text, CRect* rect)
{
    LONG sides[4];
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? text.find(',', start) : text.size();
        if (comma == std::string::npos || !ParseInt32(text.substr(start, comma - start), &sides[i]))
            return false;
        start = comma + 1;
    }
    *rect = CRect(sides[0], sides[1], sides[2], sides[3]);
    return true;
}

bool ParseSize(const std::string& text, int* width, int* height)
{
    const size_t cross = text.find('x');
    return cross != std::string::npos && ParsePositive(text.substr(0, cross), width) &&
           ParsePositive(text.substr(cross + 1), height);
}

bool WriteWholeOrNothing(const std::string& path, const std::function<bool(const std::string& tempPath)>& write)
{
    const std::string temp = ReserveTempName(path);
    if (temp.empty())
        return false;
    if (!write(temp) || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

DWORD WriteBmpWhole(CDib& image, const std::string& path)
{
    DWORD code = DIB_ERR_OPEN;
    const bool whole = WriteWholeOrNothing(path, [&](const std::string& temp) {
        code = static_cast<DWORD>(image.WriteBmp(temp.c_str()));
        return code == DIB_OK;
    });
    // A failed rename after a good write is still a failed write.
    return !whole && code == DIB_OK ? DIB_ERR_WRITE : code;
}

}  // namespace velmoro_tool
