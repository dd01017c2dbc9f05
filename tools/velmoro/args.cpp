#include "args.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace velmoro_tool {
namespace {

// Comma-separated signed 32-bit numbers, exactly count of them.
bool ParseNumbers(const std::string& text, size_t count, std::vector<LONG>* numbers)
{
    numbers->clear();
    size_t start = 0;
    while (numbers->size() < count) {
        const size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        long value = 0;
        if (!ParseInteger(part, INT32_MIN, INT32_MAX, &value))
            return false;
        numbers->push_back(static_cast<LONG>(value));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return numbers->size() == count && text.find(',', start) == std::string::npos;
}

}  // namespace

bool ParseInteger(const std::string& text, long low, long high, long* value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high)
        return false;
    *value = parsed;
    return true;
}

bool ParseColor(const std::string& text, DWORD* color)
{
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    const unsigned long rgb = std::strtoul(text.c_str(), nullptr, 16);
    *color = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

bool ParsePoint(const std::string& text, CPoint* point)
{
    std::vector<LONG> n;
    if (!ParseNumbers(text, 2, &n))
        return false;
    *point = CPoint(n[0], n[1]);
    return true;
}

bool ParseRect(const std::string& text, CRect* rect)
{
    std::vector<LONG> n;
    if (!ParseNumbers(text, 4, &n))
        return false;
    *rect = CRect(n[0], n[1], n[2], n[3]);
    return true;
}

DWORD WriteBmpWhole(CDib& image, const std::string& path)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0)
        return DIB_ERR_OPEN;
    // mkstemp makes the file private; give it the mode a plain create would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    const int code = image.WriteBmp(temporary.c_str());
    if (code != DIB_OK) {
        std::remove(temporary.c_str());
        return static_cast<DWORD>(code);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return DIB_ERR_WRITE;
    }
    return DIB_OK;
}

}  // namespace velmoro_tool
