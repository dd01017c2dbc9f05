// SPDX-License-Identifier: MIT
#include "standard_streams.h"

#include "command.h"
#include "image_output.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace velmoro_tool {
namespace {

// A memory file counts its bytes in 32 bits.
constexpr uint64_t kMostInputBytes = UINT32_MAX;

// A file made for one use and removed when done.
class TemporaryFile {
public:
    TemporaryFile()
    {
        const char* folder = std::getenv("TMPDIR");
        std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/velmoro-XXXXXX";
        const int fd = ::mkstemp(&pattern[0]);
        if (fd < 0)
            throw Failure("standard output", "cannot make a temporary file: " + SystemReason(errno));
        ::close(fd);
        m_path = pattern;
    }
    ~TemporaryFile() { ::unlink(m_path.c_str()); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

std::string InputName(const std::string& path)
{
    return IsStandardStream(path) ? "standard input" : path;
}

std::string OutputName(const std::string& path)
{
    return IsStandardStream(path) ? "standard output" : path;
}

bool ReadStandardInput(std::vector<BYTE>& data)
{
    data.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (data.size() + static_cast<uint64_t>(got) > kMostInputBytes) {
            errno = EFBIG;
            return false;
        }
        data.insert(data.end(), buffer, buffer + got);
    }
}

void WriteStandardOutput(CDib& image, const JpegSettings& jpeg, int format)
{
    const TemporaryFile encoded;
    try {
        SaveOutput(image, encoded.Path(), jpeg, format);
    } catch (const Failure& failure) {
        // The temporary file's name means nothing to the user.
        const std::string message = failure.what();
        const std::string prefix = encoded.Path() + ": ";
        throw Failure("standard output",
                      message.compare(0, prefix.size(), prefix) == 0 ? message.substr(prefix.size()) : message);
    }
    const int fd = ::open(encoded.Path().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw Failure("standard output", "cannot be written: " + SystemReason(errno));
    char buffer[65536];
    ssize_t got = 0;
    bool written = true;
    while (written && (got = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        written = got > 0 && WriteAll(STDOUT_FILENO, buffer, static_cast<size_t>(got));
    }
    const int problem = errno;
    ::close(fd);
    if (!written)
        throw Failure("standard output", "cannot be written: " + SystemReason(problem));
}

}  // namespace velmoro_tool
