// The file object through which all stream I/O goes. Failures of Write, Seek,
// Close and Remove throw a CFileException* made with new; the catcher releases
// it with Delete(). Read reports end of file by a short count.
#ifndef VELMORO_PLATFORM_FILE_H
#define VELMORO_PLATFORM_FILE_H

#include <velmoro/platform/string.h>
#include <velmoro/types.h>

class VELMORO_API CFileException {
public:
    enum {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        accessDenied = 5,
        badSeek = 10,
        hardIO = 11,
        diskFull = 14,
        endOfFile = 15,
    };

    explicit CFileException(int cause = none, LONG osError = -1, const char* path = NULL);
    virtual ~CFileException();
    // Releases an exception thrown by pointer.
    void Delete();

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] VELMORO_API void AfxThrowFileException(int cause, LONG osError = -1,
                                                    const char* path = NULL);

class VELMORO_API CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        modeCreate = 0x1000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile();
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    virtual BOOL Open(const char* path, UINT flags, CFileException* err = NULL);
    virtual UINT Read(void* buf, UINT count);
    virtual void Write(const void* buf, UINT count);
    virtual uint64_t Seek(int64_t off, UINT from);
    virtual uint64_t GetPosition() const;
    virtual uint64_t GetLength() const;
    virtual void Close();
    virtual CString GetFilePath() const;
    static void Remove(const char* path);

    BOOL IsOpen() const { return m_hFile >= 0; }

protected:
    int m_hFile;
    CString m_strFilePath;
};

// A growable file in memory, or a caller's buffer of fixed size (growBytes 0).
class VELMORO_API CMemFile : public CFile {
public:
    explicit CMemFile(UINT growBytes = 1024);
    CMemFile(BYTE* buffer, UINT size, UINT growBytes = 0);
    ~CMemFile() override;

    BOOL Open(const char* path, UINT flags, CFileException* err = NULL) override;
    UINT Read(void* buf, UINT count) override;
    void Write(const void* buf, UINT count) override;
    uint64_t Seek(int64_t off, UINT from) override;
    uint64_t GetPosition() const override;
    uint64_t GetLength() const override;
    void Close() override;
    CString GetFilePath() const override;

    // Hands the buffer to the caller (who frees it with free()) and empties the file.
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
