// SPDX-License-Identifier: MIT
/// @file
/// The file object through which all stream I/O goes. Failures of Write, Seek,
/// Close and Remove throw a CFileException* made with new; the catcher releases
/// it with Delete(). Read reports end of file by a short count.
///
/// The file object is the only part of the library that throws: the image
/// operations catch what they provoke and turn it into result codes, except
/// where a reader says that exceptions of Read and Seek pass through.
#ifndef VELMORO_PLATFORM_FILE_H
#define VELMORO_PLATFORM_FILE_H

#include <velmoro/platform/string.h>
#include <velmoro/types.h>

/// What a file operation failed on; thrown by pointer, released with Delete().
class VELMORO_API CFileException {
public:
    /// The causes m_cause takes.
    enum {
        none = 0,              ///< No failure.
        genericException = 1,  ///< The file is not open, or another failure.
        fileNotFound = 2,      ///< No such file.
        badPath = 3,           ///< A path too long, or through something that is no folder.
        accessDenied = 5,      ///< No permission, a read-only file system, or a folder.
        badSeek = 10,          ///< A seek to an invalid position or from an unknown origin.
        hardIO = 11,           ///< An input or output error.
        diskFull = 14,         ///< No room left (also a memory file that cannot grow).
        endOfFile = 15,        ///< Reading past the end.
    };

    /// An exception with its cause, the system's errno value (-1: none) and the path.
    explicit CFileException(int cause = none, LONG osError = -1, const char* path = NULL);
    /// Releases the path.
    virtual ~CFileException();
    /// Releases an exception thrown by pointer.
    void Delete();

    int m_cause;            ///< One of the causes above.
    LONG m_lOsError;        ///< The errno value behind the failure, -1 when there is none.
    CString m_strFileName;  ///< The path of the file, empty when not known.
};

/// Throws a new CFileException with the cause, errno value and path.
[[noreturn]] VELMORO_API void AfxThrowFileException(int cause, LONG osError = -1,
                                                    const char* path = NULL);

/// A file over a POSIX descriptor, closed when the object goes. Subclasses
/// (CMemFile, or the caller's own) can serve every reader and writer of the
/// library, which reach the file only through these virtual members.
class VELMORO_API CFile {
public:
    /// Open flags; one access mode, optionally with modeCreate.
    enum OpenFlags : UINT {
        modeRead = 0x0000,       ///< Read only.
        modeWrite = 0x0001,      ///< Write only.
        modeReadWrite = 0x0002,  ///< Read and write.
        modeCreate = 0x1000,     ///< Create the file, or truncate it when it exists.
    };
    /// Origins of Seek.
    enum SeekPosition : UINT {
        begin = 0,    ///< From the start of the file.
        current = 1,  ///< From the present position.
        end = 2       ///< From the end of the file.
    };

    /// A file object that is not open.
    CFile();
    /// Closes the descriptor, if open, without throwing.
    virtual ~CFile();
    /// Not copyable: the object owns its descriptor.
    CFile(const CFile&) = delete;
    /// Not copyable.
    CFile& operator=(const CFile&) = delete;

    /// Opens the path with the flags: TRUE, or FALSE when the file cannot be
    /// opened or is a folder (err, when given, says why) and when the path is
    /// NULL or this object is open already. Never throws.
    virtual BOOL Open(const char* path, UINT flags, CFileException* err = NULL);
    /// Reads up to count bytes into buf; fewer only at the end of the file.
    /// Throws on an input error or when the file is not open.
    virtual UINT Read(void* buf, UINT count);
    /// Writes all count bytes; throws when they cannot be written (diskFull,
    /// accessDenied, hardIO) or the file is not open.
    virtual void Write(const void* buf, UINT count);
    /// Moves to off bytes from the origin and returns the new position; throws
    /// badSeek for an unknown origin or an invalid position.
    virtual uint64_t Seek(int64_t off, UINT from);
    /// The present position; throws when the file is not open.
    virtual uint64_t GetPosition() const;
    /// The file's length in bytes; throws when the file is not open.
    virtual uint64_t GetLength() const;
    /// Closes the file (nothing happens when it is not open); throws hardIO when
    /// the system reports a failure, the descriptor being released all the same.
    virtual void Close();
    /// The path the file was opened with, made absolute; empty before the first Open.
    virtual CString GetFilePath() const;
    /// Deletes the file at the path; throws when it cannot.
    static void Remove(const char* path);

    /// TRUE while a file is open.
    BOOL IsOpen() const { return m_hFile >= 0; }

protected:
    int m_hFile;             ///< The descriptor, -1 when not open.
    CString m_strFilePath;   ///< The path given to Open, resolved to an absolute one.
};

/// A growable file in memory, or a caller's buffer of fixed size (growBytes 0).
/// Always open; Open refuses, Close only rewinds.
class VELMORO_API CMemFile : public CFile {
public:
    /// An empty file that grows in steps of growBytes (0 means 1024).
    explicit CMemFile(UINT growBytes = 1024);
    /// A file over the caller's buffer of size bytes, which stays the caller's.
    /// With growBytes 0 a write past its end throws diskFull; otherwise the
    /// contents move to a block of the file's own.
    CMemFile(BYTE* buffer, UINT size, UINT growBytes = 0);
    /// Frees the block the file owns.
    ~CMemFile() override;

    /// Always FALSE: a memory file opens no path.
    BOOL Open(const char* path, UINT flags, CFileException* err = NULL) override;
    /// Reads up to count bytes from the position; fewer at the end.
    UINT Read(void* buf, UINT count) override;
    /// Writes at the position, growing the file (zero-filled over a gap); throws
    /// diskFull when it cannot grow (fixed buffer, no memory, beyond 4 GiB).
    void Write(const void* buf, UINT count) override;
    /// Moves the position, also past the end; throws badSeek before the start or
    /// for an unknown origin.
    uint64_t Seek(int64_t off, UINT from) override;
    /// The position.
    uint64_t GetPosition() const override;
    /// The bytes held.
    uint64_t GetLength() const override;
    /// Rewinds to the start; the contents stay.
    void Close() override;
    /// Always empty: a memory file has no path.
    CString GetFilePath() const override;

    /// Hands the buffer to the caller (who frees it with free()) and empties the file.
    BYTE* Detach();

private:
    void Reserve(uint64_t size);

    BYTE* m_pBuffer;
    uint64_t m_nSize;
    uint64_t m_nCapacity;
    uint64_t m_nPosition;
    UINT m_nGrowBytes;
    bool m_bOwnsBuffer;
};

#endif
