// The platform layer's small types: rectangles and file objects at their edges.
#include <velmoro/platform/file.h>
#include <velmoro/platform/geometry.h>

#include <gtest/gtest.h>

#include <climits>
#include <cerrno>

namespace {

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
    try {
        memory.Seek(3, 7);
        ADD_FAILURE() << "an unknown origin moved the position";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::badSeek);
        e->Delete();
    }
    EXPECT_EQ(memory.GetPosition(), 7u);

    const std::string path = ::testing::TempDir() + "platform_seek.bin";
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
    file.Write(bytes, sizeof bytes);
    try {
        file.Seek(3, 3);
        ADD_FAILURE() << "an unknown origin moved the position";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::badSeek);
        e->Delete();
    }
    EXPECT_EQ(file.GetPosition(), 10u);
    file.Close();
    CFile::Remove(path.c_str());

    try {
        CFile::Remove(NULL);
        ADD_FAILURE() << "removing no path succeeded";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::badPath);
        e->Delete();
    }
}

}  // namespace
