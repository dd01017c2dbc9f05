// SPDX-License-Identifier: MIT
// The platform layer's small types: rectangles and file objects at their edges.
#include <velmoro/platform/file.h>
#include <velmoro/platform/geometry.h>

#include <gtest/gtest.h>

#include <climits>
#include <cerrno>

namespace {

// Runs `action`, which must throw a file exception with this cause.
template <class Action>
void ExpectFileException(Action action, int cause)
{
    try {
        action();
        ADD_FAILURE() << "no exception";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, cause);
        e->Delete();
    }
}

// Sides as far apart as 32 bits allow: the width wraps as 32-bit arithmetic does.
TEST(PlatformRect, WidthAndHeightWrapAtTheExtremes)
{
    const CRect whole(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(whole.Width(), -1);
    EXPECT_EQ(whole.Height(), -1);
    EXPECT_EQ(CRect(INT_MAX, 0, INT_MIN, 5).Width(), 1);
    EXPECT_EQ(CRect(2, 3, 9, 4).Width(), 7);
}

// Only the three origins move a file's position; anything else is a failed seek.
TEST(PlatformFile, SeekRefusesAnUnknownOriginAndRemoveANullPath)
{
    CMemFile memory;
    const BYTE bytes[10] = {};
    memory.Write(bytes, sizeof bytes);
    memory.Seek(7, CFile::begin);
    ExpectFileException([&] { memory.Seek(3, 7); }, CFileException::badSeek);
    EXPECT_EQ(memory.GetPosition(), 7u);

    const std::string path = ::testing::TempDir() + "platform_seek.bin";
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
    file.Write(bytes, sizeof bytes);
    ExpectFileException([&] { file.Seek(3, 3); }, CFileException::badSeek);
    EXPECT_EQ(file.GetPosition(), 10u);
    file.Close();
    CFile::Remove(path.c_str());

    ExpectFileException([] { CFile::Remove(NULL); }, CFileException::badPath);
}

}  // namespace
