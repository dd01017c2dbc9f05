// SPDX-License-Identifier: MIT
// A file held in memory: growable, or a fixed caller buffer.
#include <velmoro/platform/file.h>

#include <cstdlib>
#include <cstring>

CMemFile::CMemFile(UINT growBytes)
    : m_pBuffer(NULL), m_nSize(0), m_nCapacity(0), m_nPosition(0),
      m_nGrowBytes(growBytes == 0 ? 1024 : growBytes), m_bOwnsBuffer(true)
{
    m_hFile = 0;  // always open
}

CMemFile::CMemFile(BYTE* buffer, UINT size, UINT growBytes)
    : m_pBuffer(buffer), m_nSize(size), m_nCapacity(size), m_nPosition(0), m_nGrowBytes(growBytes),
      m_bOwnsBuffer(false)
{
    m_hFile = 0;
}

CMemFile::~CMemFile()
{
    if (m_bOwnsBuffer)
        std::free(m_pBuffer);
    m_hFile = -1;  // no descriptor for the base class to close
}

BOOL CMemFile::Open(const char*, UINT, CFileException* err)
{
    if (err)
        err->m_cause = CFileException::genericException;
    return FALSE;
}

UINT CMemFile::Read(void* buf, UINT count)
{
    if (m_nPosition >= m_nSize)
        return 0;
    uint64_t left = m_nSize - m_nPosition;
    UINT n = left < count ? static_cast<UINT>(left) : count;
    if (n)
        std::memcpy(buf, m_pBuffer + m_nPosition, n);
    m_nPosition += n;
    return n;
}

// A caller's buffer stays the caller's: growing copies into a block of our own.
void CMemFile::Reserve(uint64_t size)
{
    if (size <= m_nCapacity)
        return;
    if (m_nGrowBytes == 0 || size > 0xFFFFFFFFull)
        AfxThrowFileException(CFileException::diskFull);
    uint64_t capacity = m_nCapacity + m_nCapacity / 2;
    if (capacity < size)
        capacity = (size + m_nGrowBytes - 1) / m_nGrowBytes * m_nGrowBytes;
    if (capacity > 0xFFFFFFFFull)
        capacity = 0xFFFFFFFFull;
    BYTE* grown = m_bOwnsBuffer ? static_cast<BYTE*>(std::realloc(m_pBuffer, capacity))
                                : static_cast<BYTE*>(std::malloc(capacity));
    if (!grown)
        AfxThrowFileException(CFileException::diskFull);
    if (!m_bOwnsBuffer && m_nSize)
        std::memcpy(grown, m_pBuffer, m_nSize);
    m_pBuffer = grown;
    m_nCapacity = capacity;
    m_bOwnsBuffer = true;
}

void CMemFile::Write(const void* buf, UINT count)
{
    if (count == 0)
        return;
    uint64_t end = m_nPosition + count;
    Reserve(end);
    if (m_nPosition > m_nSize)
        std::memset(m_pBuffer + m_nSize, 0, m_nPosition - m_nSize);
    std::memcpy(m_pBuffer + m_nPosition, buf, count);
    m_nPosition = end;
    if (end > m_nSize)
        m_nSize = end;
}

uint64_t CMemFile::Seek(int64_t off, UINT from)
{
    if (from != begin && from != current && from != end)
        AfxThrowFileException(CFileException::badSeek);
    int64_t base = from == current ? static_cast<int64_t>(m_nPosition)
                   : from == end   ? static_cast<int64_t>(m_nSize)
                                   : 0;
    if ((off < 0 && base + off < 0) || (off > 0 && off > INT64_MAX - base))
        AfxThrowFileException(CFileException::badSeek);
    m_nPosition = static_cast<uint64_t>(base + off);
    return m_nPosition;
}

uint64_t CMemFile::GetPosition() const
{
    return m_nPosition;
}

uint64_t CMemFile::GetLength() const
{
    return m_nSize;
}

void CMemFile::Close()
{
    m_nPosition = 0;
}

CString CMemFile::GetFilePath() const
{
    return CString();
}

BYTE* CMemFile::Detach()
{
    BYTE* buffer = m_pBuffer;
    m_pBuffer = NULL;
    m_nSize = m_nCapacity = m_nPosition = 0;
    m_bOwnsBuffer = true;
    return buffer;
}
