// SPDX-License-Identifier: MIT
// The failure lines: what failed, on which file, and why in words.
#include "command.h"
#include "operands.h"
#include "standard_streams.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>

namespace velmoro_tool {
namespace {

// "the file cannot be opened (DIB_ERR_OPEN)".
std::string Describe(DWORD code)
{
    const char* name = DibResultName(code);
    return std::string(DibResultText(code)) + " (" + (name ? name : "error " + std::to_string(code)) + ")";
}

bool IsDepthRefusal(DWORD code)
{
    return code == DIB_ERR_BAD_DEPTH || code == DIB_ERR_NOT_8BIT || code == DIB_ERR_NOT_16BIT ||
           code == DIB_ERR_NOT_24BIT;
}

// Why `path` cannot be read, as the operating system says it; 0 when it can be.
int ReadProblem(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat status;
    const int problem = ::fstat(fd, &status) != 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
    ::close(fd);
    return problem;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Why `path` cannot be written, found by looking at it and its folder; 0 when
// nothing shows.
int WriteProblem(const std::string& path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return EISDIR;
        if (::access(path.c_str(), W_OK) != 0)
            return errno;
    }
    const std::string folder = FolderOf(path);
    if (::access(folder.c_str(), W_OK) != 0)
        return errno;
    struct statvfs space;
    if (::statvfs(folder.c_str(), &space) == 0 && space.f_bavail == 0)
        return ENOSPC;
    return 0;
}

}  // namespace

Failure::Failure(const std::string& file, DWORD code) : std::runtime_error(file + ": " + Describe(code)) {}

Failure::Failure(const std::string& file, const std::string& message) : std::runtime_error(file + ": " + message) {}

std::string SystemReason(int error)
{
    std::string text = std::error_code(error, std::generic_category()).message();
    // "No such file" reads "no such file" inside a line; "I/O error" stays.
    if (text.size() > 1 && std::isupper(static_cast<unsigned char>(text[0])) &&
        std::islower(static_cast<unsigned char>(text[1])))
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

Failure ReadFailure(const std::string& path, DWORD code)
{
    if (IsStandardStream(path))
        return Failure(InputName(path), "cannot be loaded: " + Describe(code));
    if (code == DIB_ERR_OPEN || code == DIB_ERR_FILE_IO) {
        if (const int problem = ReadProblem(path))
            return Failure(path, "cannot be opened: " + SystemReason(problem));
    }
    return Failure(path, "cannot be loaded: " + Describe(code));
}

Failure WriteFailure(const std::string& path, DWORD code, int error)
{
    const int problem = error != 0 ? error : WriteProblem(path);
    if (problem != 0)
        return Failure(path, "cannot be written: " + SystemReason(problem));
    return Failure(path, "cannot be written: " + Describe(code));
}

Failure OperationFailure(const std::string& path, DWORD code, const CDib& image)
{
    if (IsDepthRefusal(code) && !image.IsEmpty())
        return Failure(path, DepthText(DepthOf(image)) + " is not a depth this command takes (" +
                                 DibResultName(code) + ")");
    return Failure(path, code);
}

std::string Counted(unsigned long long count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace velmoro_tool
