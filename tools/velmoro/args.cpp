#include "args.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
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

}  // namespace velmoro_tool
