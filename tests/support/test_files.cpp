// SPDX-License-Identifier: MIT
#include "support/test_files.h"

#include <fstream>
#include <iterator>

namespace velmoro_test {

BytesFile::BytesFile(const std::vector<BYTE>& bytes) : CMemFile(1024)
{
    if (!bytes.empty())
        CMemFile::Write(bytes.data(), static_cast<UINT>(bytes.size()));
    CMemFile::Seek(0, CFile::begin);
}

void BytesFile::Close()
{
    ++closeCount;
}

UINT ShortReadFile::Read(void* buf, UINT count)
{
    const UINT allowed = m_left < count ? static_cast<UINT>(m_left) : count;
    const UINT got = BytesFile::Read(buf, allowed);
    m_left -= got;
    return got;
}

void FailingWriteFile::Write(const void* buf, UINT count)
{
    if (++writes == m_failAt)
        AfxThrowFileException(CFileException::diskFull);
    CMemFile::Write(buf, count);
}

std::vector<BYTE> FileBytes(CFile& file)
{
    const uint64_t position = file.GetPosition();
    std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
    file.Seek(0, CFile::begin);
    if (!bytes.empty())
        bytes.resize(file.Read(bytes.data(), static_cast<UINT>(bytes.size())));
    file.Seek(static_cast<int64_t>(position), CFile::begin);
    return bytes;
}

std::vector<BYTE> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace velmoro_test
