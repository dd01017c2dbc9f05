// SPDX-License-Identifier: MIT
#include "args.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sstream>
#include <unistd.h>

namespace velmoro_tool {
namespace {

bool IsOptionName(const std::string& text)
{
    return text.size() > 2 && text.compare(0, 2, "--") == 0;
}

std::string WithoutBrackets(std::string text)
{
    for (const char bracket : {'[', ']'})
        text.erase(std::remove(text.begin(), text.end(), bracket), text.end());
    return text;
}

struct Positional {
    std::string name;
    bool optional;
    bool repeated;
};

struct Syntax {
    std::vector<Positional> positionals;
    std::map<std::string, std::string> options;  // name -> value placeholder, empty for a flag
};

Syntax ParseUsage(const std::string& usage)
{
    std::vector<std::string> tokens;
    std::istringstream stream(usage);
    for (std::string token; stream >> token;)
        tokens.push_back(token);
    Syntax syntax;
    size_t i = 0;
    for (; i < tokens.size() && !IsOptionName(WithoutBrackets(tokens[i])); ++i) {
        std::string name = WithoutBrackets(tokens[i]);
        const bool repeated = name.size() > 3 && name.compare(name.size() - 3, 3, "...") == 0;
        syntax.positionals.push_back({name, tokens[i][0] == '[', repeated});
    }
    while (i < tokens.size()) {
        const std::string names = WithoutBrackets(tokens[i++]);
        const bool takesValue = i < tokens.size() && !IsOptionName(WithoutBrackets(tokens[i]));
        const std::string placeholder = takesValue ? WithoutBrackets(tokens[i++]) : std::string();
        std::istringstream alternatives(names);
        for (std::string name; std::getline(alternatives, name, '|');)
            syntax.options[name] = placeholder;
    }
    return syntax;
}

std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
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

bool ParseIntList(const std::string& text, size_t count, std::vector<int>& values)
{
    std::vector<int> parsed;
    std::stringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) {
        int value = 0;
        if (!ParseInt(item, value))
            return false;
        parsed.push_back(value);
    }
    if (parsed.size() != count || text.back() == ',')
        return false;
    values = parsed;
    return true;
}

bool ParseColor(const std::string& text, DWORD& color)
{
    const std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    const unsigned long rrggbb = std::strtoul(hex.c_str(), NULL, 16);
    color = RGB(rrggbb >> 16, rrggbb >> 8, rrggbb);
    return true;
}

// Reserves an unused short name in the target's own folder, so the rename stays
// on one file system and a name near the length limit still has room; the file
// is made with the usual permissions, unlike mkstemp's.
std::string ReserveTempName(const std::string& target)
{
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    // One count for the whole process, so that threads writing at once try
    // different names.
    static std::atomic<unsigned> next{0};
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            folder + ".velmoro-" + std::to_string(::getpid()) + "-" + std::to_string(next++) + ".tmp";
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

// The file a write to `path` lands in: a symbolic link's target, so that the
// link stays a link.
std::string ResolvedTarget(const std::string& path)
{
    struct stat link;
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return path;
    char* resolved = ::realpath(path.c_str(), NULL);
    if (!resolved)
        return path;
    const std::string target = resolved;
    std::free(resolved);
    return target;
}

}  // namespace

Arguments::Arguments(const std::string& usage, const std::vector<std::string>& args)
{
    const Syntax syntax = ParseUsage(usage);
    std::vector<std::string> positionals;
    for (size_t i = 0; i < args.size(); ++i) {
        if (!IsOptionName(args[i])) {
            positionals.push_back(args[i]);
            continue;
        }
        const auto option = syntax.options.find(args[i]);
        if (option == syntax.options.end())
            throw UsageError("unknown option " + args[i]);
        if (m_values.count(args[i]))
            throw UsageError(args[i] + " given twice");
        const std::string& placeholder = option->second;
        if (!placeholder.empty() && i + 1 == args.size())
            throw UsageError(args[i] + " needs a value (" + placeholder + ")");
        const std::string& name = args[i];
        m_values[name] = {placeholder.empty() ? std::string() : args[++i]};
    }
    for (const auto& option : syntax.options)
        m_placeholders[option.first] = option.first + (option.second.empty() ? "" : " " + option.second);

    size_t next = 0;
    for (size_t p = 0; p < syntax.positionals.size(); ++p) {
        const Positional& positional = syntax.positionals[p];
        m_placeholders[positional.name] = positional.name;
        if (next == positionals.size()) {
            if (!positional.optional)
                throw UsageError(positional.name + " is missing");
            continue;
        }
        // A repeated positional leaves one value for each required one after it.
        size_t reserved = 0;
        for (size_t later = p + 1; later < syntax.positionals.size(); ++later)
            reserved += syntax.positionals[later].optional ? 0 : 1;
        const size_t remaining = positionals.size() - next;
        const size_t count = positional.repeated ? std::max<size_t>(1, remaining > reserved ? remaining - reserved : 0) : 1;
        m_values[positional.name].assign(positionals.begin() + next, positionals.begin() + next + count);
        next += count;
    }
    if (next < positionals.size())
        throw UsageError("unexpected argument " + Quoted(positionals[next]));
}

const std::string& Arguments::Text(const std::string& name) const
{
    const auto found = m_values.find(name);
    if (found == m_values.end()) {
        const auto placeholder = m_placeholders.find(name);
        throw UsageError((placeholder == m_placeholders.end() ? name : placeholder->second) + " is missing");
    }
    return found->second.front();
}

std::string Arguments::Text(const std::string& name, const std::string& fallback) const
{
    return Has(name) ? Text(name) : fallback;
}

const std::vector<std::string>& Arguments::List(const std::string& name) const
{
    Text(name);
    return m_values.find(name)->second;
}

template <typename T>
T Arguments::Convert(const std::string& name, const char* expected,
                     const std::function<bool(const std::string&, T&)>& parse) const
{
    const std::string& text = Text(name);
    T value{};
    if (!parse(text, value))
        throw UsageError(name + " takes " + expected + ", not " + Quoted(text));
    return value;
}

int Arguments::Int(const std::string& name, int min, int max) const
{
    const std::string expected = min == INT32_MIN && max == INT32_MAX
                                     ? "a whole number"
                                     : "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
    return Convert<int>(name, expected.c_str(), [min, max](const std::string& text, int& value) {
        return ParseInt(text, value) && value >= min && value <= max;
    });
}

int Arguments::Int(const std::string& name, int min, int max, int fallback) const
{
    return Has(name) ? Int(name, min, max) : fallback;
}

DWORD Arguments::Color(const std::string& name) const
{
    return Convert<DWORD>(name, "a colour RRGGBB in hexadecimal", ParseColor);
}

DWORD Arguments::Color(const std::string& name, DWORD fallback) const
{
    return Has(name) ? Color(name) : fallback;
}

DWORD Arguments::Layout(const std::string& name, DWORD fallback) const
{
    if (!Has(name))
        return fallback;
    return Convert<DWORD>(name, "555 or 565", [](const std::string& text, DWORD& format) {
        format = text == "565" ? DIB_FORMAT_565 : DIB_FORMAT_555;
        return text == "555" || text == "565";
    });
}

CPoint Arguments::Point(const std::string& name) const
{
    const std::vector<int> values = Convert<std::vector<int>>(name, "X,Y", [](const std::string& text, std::vector<int>& v) {
        return ParseIntList(text, 2, v);
    });
    return CPoint(values[0], values[1]);
}

CRect Arguments::Rect(const std::string& name) const
{
    const std::vector<int> v = Convert<std::vector<int>>(name, "L,T,R,B", [](const std::string& text, std::vector<int>& v) {
        return ParseIntList(text, 4, v);
    });
    return CRect(v[0], v[1], v[2], v[3]);
}

Extent Arguments::Size(const std::string& name) const
{
    return Convert<Extent>(name, "WxH with both sides positive", [](const std::string& text, Extent& size) {
        const size_t cross = text.find('x');
        return cross != std::string::npos && ParseInt(text.substr(0, cross), size.width) &&
               ParseInt(text.substr(cross + 1), size.height) && size.width > 0 && size.height > 0;
    });
}

std::vector<int> Arguments::Ints(const std::string& name, size_t count) const
{
    const std::string expected = std::to_string(count) + " integers separated by commas";
    return Convert<std::vector<int>>(name, expected.c_str(), [count](const std::string& text, std::vector<int>& v) {
        return ParseIntList(text, count, v);
    });
}

bool Arguments::Choose(const std::string& first, const std::string& second) const
{
    if (Has(first) == Has(second))
        throw UsageError("give either " + first + " or " + second);
    return Has(first);
}

bool WriteWholeOrNothing(const std::string& path, const std::function<bool(const std::string& tempPath)>& write,
                         int* error)
{
    // Each failing step leaves its errno; the writer's too, cleared before it runs.
    const auto fail = [error](int problem) {
        if (error)
            *error = problem;
        return false;
    };
    const std::string target = ResolvedTarget(path);
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return fail(EISDIR);
    // A device or a pipe is written straight: a file put in its place would
    // take its name but not its purpose.
    if (exists && !S_ISREG(existing.st_mode)) {
        errno = 0;
        return write(target) || fail(errno);
    }
    // A file this user may not write is not replaced behind its back.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return fail(errno);
    const std::string temp = ReserveTempName(target);
    if (temp.empty())
        return fail(errno);
    errno = 0;
    const bool keepMode = !exists || ::chmod(temp.c_str(), existing.st_mode & 07777) == 0;
    if (!keepMode || !write(temp) || std::rename(temp.c_str(), target.c_str()) != 0) {
        const int problem = errno;
        std::remove(temp.c_str());
        return fail(problem);
    }
    return true;
}

DWORD WriteBmpWhole(CDib& image, const std::string& path, int* error)
{
    DWORD code = DIB_ERR_WRITE;
    const bool written = WriteWholeOrNothing(
        path,
        [&](const std::string& temp) {
            code = static_cast<DWORD>(image.WriteBmp(temp.c_str()));
            return code == DIB_OK;
        },
        error);
    return written ? DIB_OK : code == DIB_OK ? DIB_ERR_WRITE : code;
}

}  // namespace velmoro_tool
