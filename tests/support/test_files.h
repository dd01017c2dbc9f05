// SPDX-License-Identifier: MIT
// File objects that misbehave on purpose, for the failure paths of readers and writers.
#ifndef VELMORO_TESTS_SUPPORT_TEST_FILES_H
#define VELMORO_TESTS_SUPPORT_TEST_FILES_H

#include <velmoro/platform/file.h>

#include <string>
#include <vector>

namespace velmoro_test {

// A memory file over a copy of the given bytes.
class BytesFile : public CMemFile {
public:
    explicit BytesFile(const std::vector<BYTE>& bytes);
    int closeCount = 0;
    void Close() override;
};

// Delivers at most `limit` bytes in all, then reports end of file.
class ShortReadFile : public BytesFile {
public:
    ShortReadFile(const std::vector<BYTE>& bytes, uint64_t limit) : BytesFile(bytes), m_left(limit) {}
    UINT Read(void* buf, UINT count) override;

private:
    uint64_t m_left;
};

// Throws the file exception from the Nth call of Write (1-based); earlier writes succeed.
class FailingWriteFile : public CMemFile {
public:
    explicit FailingWriteFile(int failAt) : m_failAt(failAt) {}
    void Write(const void* buf, UINT count) override;
    void Close() override { ++closeCount; }
    int writes = 0;
    int closeCount = 0;

private:
    int m_failAt;
};

// Everything a memory file holds, from the start.
std::vector<BYTE> FileBytes(CFile& file);
std::vector<BYTE> ReadWholeFile(const std::string& path);

}  // namespace velmoro_test

#endif
