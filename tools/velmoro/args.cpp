#include "args.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace velmoro_tool {

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

bool ParseInt(const std::string& text, int& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int>(parsed);
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

bool ParseColor(const std::string& text, DWORD& color)
{
    const std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (digits.size() != 6 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    const unsigned long rgb = std::strtoul(digits.c_str(), nullptr, 16);
    color = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
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

DWORD WriteBmpWhole(CDib& image, const std::string& path)
{
    const std::string temporary = path + ".velmoro-" + std::to_string(::getpid()) + ".tmp";
    const DWORD code = static_cast<DWORD>(image.WriteBmp(temporary.c_str()));
    if (code != DIB_OK) {
        std::remove(temporary.c_str());
        return code;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return DIB_ERR_WRITE;
    }
    return DIB_OK;
}

}  // namespace velmoro_tool
