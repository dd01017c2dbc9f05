// SPDX-License-Identifier: MIT
// The file object over POSIX descriptors, and its exception.
#include <velmoro/platform/file.h>

#include "platform/file_support.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CFileException::CFileException(int cause, LONG osError, const char* path)
    : m_cause(cause), m_lOsError(osError), m_strFileName(path)
{
}

CFileException::~CFileException() = default;

void CFileException::Delete()
{
    delete this;
}

void AfxThrowFileException(int cause, LONG osError, const char* path)
{
    throw new CFileException(cause, osError, path);
}

namespace {

int CauseOfErrno(int error)
{
    switch (error) {
    case ENOENT: return CFileException::fileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return CFileException::accessDenied;
    case ENOSPC:
    case EDQUOT: return CFileException::diskFull;
    case ENAMETOOLONG:
    case ENOTDIR: return CFileException::badPath;
    default: return CFileException::hardIO;
    }
}

[[noreturn]] void ThrowErrno(int cause, const CString& path)
{
    AfxThrowFileException(cause, errno, path);
}

}  // namespace

CFile::CFile() : m_hFile(-1) {}

CFile::~CFile()
{
    if (m_hFile >= 0)
        ::close(m_hFile);
}

BOOL CFile::Open(const char* path, UINT flags, CFileException* err)
{
    if (m_hFile >= 0 || !path)
        return FALSE;
    int oflags = O_CLOEXEC;
    switch (flags & 3) {
    case modeWrite: oflags |= O_WRONLY; break;
    case modeReadWrite: oflags |= O_RDWR; break;
    default: oflags |= O_RDONLY; break;
    }
    if (flags & modeCreate)
        oflags |= O_CREAT | O_TRUNC;
    int fd;
    do {
        fd = ::open(path, oflags, 0666);
    } while (fd < 0 && errno == EINTR);
    // A folder opens for reading here, but every read of it would throw: it is
    // refused as a file that cannot be opened.
    struct stat status;
    if (fd >= 0 && ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd);
        fd = -1;
        errno = EISDIR;
    }
    if (fd < 0) {
        if (err) {
            err->m_cause = CauseOfErrno(errno);
            err->m_lOsError = errno;
            err->m_strFileName = path;
        }
        return FALSE;
    }
    m_hFile = fd;
    char resolved[PATH_MAX];
    m_strFilePath = ::realpath(path, resolved) ? resolved : path;
    return TRUE;
}

UINT CFile::Read(void* buf, UINT count)
{
    if (m_hFile < 0)
        AfxThrowFileException(CFileException::genericException, -1, m_strFilePath);
    BYTE* out = static_cast<BYTE*>(buf);
    UINT done = 0;
    while (done < count) {
        ssize_t got = ::read(m_hFile, out + done, count - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(CFileException::hardIO, m_strFilePath);
        }
        if (got == 0)
            break;
        done += static_cast<UINT>(got);
    }
    return done;
}

void CFile::Write(const void* buf, UINT count)
{
    if (m_hFile < 0)
        AfxThrowFileException(CFileException::genericException, -1, m_strFilePath);
    const BYTE* in = static_cast<const BYTE*>(buf);
    UINT done = 0;
    while (done < count) {
        ssize_t put = ::write(m_hFile, in + done, count - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(CauseOfErrno(errno), m_strFilePath);
        }
        done += static_cast<UINT>(put);
    }
}

uint64_t CFile::Seek(int64_t off, UINT from)
{
    if (m_hFile < 0)
        AfxThrowFileException(CFileException::genericException, -1, m_strFilePath);
    if (from != begin && from != current && from != end)
        AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFilePath);
    int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
    off_t pos = ::lseek(m_hFile, static_cast<off_t>(off), whence);
    if (pos < 0)
        ThrowErrno(CFileException::badSeek, m_strFilePath);
    return static_cast<uint64_t>(pos);
}

uint64_t CFile::GetPosition() const
{
    if (m_hFile < 0)
        AfxThrowFileException(CFileException::genericException, -1, m_strFilePath);
    off_t pos = ::lseek(m_hFile, 0, SEEK_CUR);
    if (pos < 0)
        ThrowErrno(CFileException::badSeek, m_strFilePath);
    return static_cast<uint64_t>(pos);
}

uint64_t CFile::GetLength() const
{
    if (m_hFile < 0)
        AfxThrowFileException(CFileException::genericException, -1, m_strFilePath);
    struct stat info;
    if (::fstat(m_hFile, &info) != 0)
        ThrowErrno(CFileException::hardIO, m_strFilePath);
    return static_cast<uint64_t>(info.st_size);
}

void CFile::Close()
{
    if (m_hFile < 0)
        return;
    int fd = m_hFile;
    m_hFile = -1;
    if (::close(fd) != 0 && errno != EINTR)
        ThrowErrno(CFileException::hardIO, m_strFilePath);
}

CString CFile::GetFilePath() const
{
    return m_strFilePath;
}

void CFile::Remove(const char* path)
{
    if (!path)
        AfxThrowFileException(CFileException::badPath, EINVAL, path);
    if (::unlink(path) != 0)
        ThrowErrno(CauseOfErrno(errno), path);
}

bool velmoro::IsRegularFile(const char* path)
{
    struct stat status;
    return path && *path && ::stat(path, &status) == 0 && S_ISREG(status.st_mode);
}
