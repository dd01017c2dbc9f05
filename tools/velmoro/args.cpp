#include "args.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace velmoro_tool {
namespace {

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

bool ParseIntList(const std::string& text, size_t count, std::vector<int>& values)
{
    std::vector<int> parsed;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        int value = 0;
        if (!ParseInt(item, value))
            return false;
        parsed.push_back(value);
    }
    if (parsed.size() != count || (!text.empty() && text.back() == ','))
        return false;
    values = parsed;
    return true;
}

bool ParsePoint(const std::string& text, CPoint& point)
{
    std::vector<int> values;
    if (!ParseIntList(text, 2, values))
        return false;
    point = CPoint(values[0], values[1]);
    return true;
}

bool ParseRect(const std::string& text, CRect& rect)
{
    std::vector<int> values;
    if (!ParseIntList(text, 4, values))
        return false;
    rect = CRect(values[0], values[1], values[2], values[3]);
    return true;
}

bool ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& optionNames,
               ParsedArgs& parsed, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            parsed.positional.push_back(arg);
            continue;
        }
        bool known = false;
        for (const std::string& name : optionNames)
            known = known || name == arg;
        if (!known) {
            error = "unknown option " + arg;
            return false;
        }
        if (i + 1 == args.size()) {
            error = arg + " needs a value";
            return false;
        }
        parsed.options[arg] = args[++i];
    }
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height)
{
    const size_t cross = text.find('x');
    return cross != std::string::npos && ParseInt(text.substr(0, cross), width) &&
           ParseInt(text.substr(cross + 1), height) && width > 0 && height > 0;
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
    const bool written = WriteWholeOrNothing(path, [&](const std::string& temp) {
        code = static_cast<DWORD>(image.WriteBmp(temp.c_str()));
        return code == DIB_OK;
    });
    return written || code != DIB_OK ? code : DIB_ERR_WRITE;  // the rename failed
}

}  // namespace velmoro_tool
