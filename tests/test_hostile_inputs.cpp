// SPDX-License-Identifier: MIT
// Hostile inputs kept as files (tests/data/hostile, written by make_hostile.py):
// expected.tsv names each file, the reader it goes through and the code or count
// that reader must give. A reader that refuses a file leaves its image as it was.
#include <velmoro/dib_collection.h>
#include <velmoro/jpeg.h>
#include <velmoro/platform/file.h>

#include "support/test_files.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace velmoro_test;

namespace {

const std::string kHostileDir = std::string(VELMORO_TEST_DATA_DIR) + "/hostile/";
constexpr DWORD kCollectionTag = 0x4C4F4356;

struct Row {
    std::string file;
    std::string reader;
    DWORD expected;
};

std::vector<Row> ReadTable()
{
    std::vector<Row> rows;
    std::ifstream table(kHostileDir + "expected.tsv");
    std::string line;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Row row;
        std::string expected;
        std::getline(fields, row.file, '\t');
        std::getline(fields, row.reader, '\t');
        std::getline(fields, expected, '\t');
        row.expected = static_cast<DWORD>(std::stoul(expected, nullptr, 0));
        rows.push_back(row);
    }
    return rows;
}

// The bad-resource module's resource 100 serves the bytes handed to it.
class FileResource {
public:
    FileResource() : m_module(LoadLibraryA(VELMORO_TEST_BAD_RESOURCE_MODULE))
    {
        m_set = reinterpret_cast<void (*)(const unsigned char*, uint32_t)>(
            GetProcAddress(m_module, "velmoro_test_set_file_resource"));
    }
    ~FileResource()
    {
        if (m_set)
            m_set(nullptr, 0);
        if (m_module)
            FreeLibrary(m_module);
    }
    FileResource(const FileResource&) = delete;
    FileResource& operator=(const FileResource&) = delete;

    bool Ready() const { return m_set != nullptr; }
    DWORD Load(CDib& image, const std::vector<BYTE>& bytes)
    {
        m_set(bytes.data(), static_cast<uint32_t>(bytes.size()));
        return image.Load(m_module, 100);
    }

private:
    HMODULE m_module;
    void (*m_set)(const unsigned char*, uint32_t) = nullptr;
};

// What one reader gives for the bytes: a result code, or a count for the
// collection readers. Image readers check that a refusal changed nothing.
class Readers {
public:
    Readers() { m_jpegReady = m_codec.InitJPEGLibrary(NULL) == 1; }

    bool Ready() const { return m_jpegReady && m_resource.Ready(); }

    DWORD Read(const std::string& reader, const std::vector<BYTE>& bytes)
    {
        if (reader == "bmp")
            return IntoImage([&](CDib& image) {
                BytesFile file(bytes);
                return image.Load(file, 0);
            });
        if (reader == "resource")
            return IntoImage([&](CDib& image) { return m_resource.Load(image, bytes); });
        if (reader == "jpeg")
            return IntoImage([&](CDib& image) {
                BytesFile file(bytes);
                return image.LoadJPEG(m_codec, file, 0);
            });
        if (reader == "chunk") {
            CDibEditNode node;
            node.CopyDib(TestImage(ImageSpec{3, 1, 8}, 4));
            const ImageSnapshot before(node);
            BytesFile file(bytes);
            const int read = node.ReadChunk(file);
            if (read == 0) {
                EXPECT_TRUE(before.Matches(node));
            }
            return static_cast<DWORD>(read);
        }
        if (reader == "collection") {
            CDibEditList list;
            BytesFile file(bytes);
            const DWORD appended = list.CreateNewNodeFromFile(file, kCollectionTag, 0);
            EXPECT_EQ(list.GetCount(), appended);
            return appended;
        }
        if (reader == "collection-skip") {
            CDibEditList list;
            BytesFile file(bytes);
            return list.RefreshNodeFromFile(file, kCollectionTag, 0);
        }
        ADD_FAILURE() << "unknown reader " << reader;
        return 0;
    }

private:
    DWORD IntoImage(const std::function<DWORD(CDib&)>& read)
    {
        TestImage image(ImageSpec{2, 2, 16}, 3);
        const ImageSnapshot before(image);
        const DWORD code = read(image);
        if (code != DIB_OK) {
            EXPECT_TRUE(before.Matches(image));
        }
        return code;
    }

    CJPeg m_codec;
    bool m_jpegReady;
    FileResource m_resource;
};

TEST(HostileInputs, EachFileGivesItsCode)
{
    const std::vector<Row> rows = ReadTable();
    ASSERT_GE(rows.size(), 30u);
    Readers readers;
    ASSERT_TRUE(readers.Ready());
    for (const Row& row : rows) {
        const std::vector<BYTE> bytes = ReadWholeFile(kHostileDir + row.file);
        const std::string suffix = "-prefixes";
        const size_t cut = row.reader.size() > suffix.size() ? row.reader.size() - suffix.size() : 0;
        if (row.reader.compare(cut, std::string::npos, suffix) != 0) {
            EXPECT_EQ(readers.Read(row.reader, bytes), row.expected) << row.file << " (" << row.reader << ")";
            continue;
        }
        ASSERT_FALSE(bytes.empty()) << row.file;
        const std::string reader = row.reader.substr(0, cut);
        for (size_t length = 0; length < bytes.size(); ++length) {
            const std::vector<BYTE> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_EQ(readers.Read(reader, prefix), row.expected) << row.file << " cut to " << length << " bytes";
        }
    }
}

// A BMP of width 0 loads with any height, its pixel block empty. Operations that
// walk the rows must not spend 2^31 steps on rows without bytes (seconds each),
// and sizes of such pictures combined must not overflow.
TEST(HostileImages, ZeroWidthPicturesOfMaximalHeight)
{
    constexpr int kTall = 0x7FFFFFFF;
    for (int bits : {8, 16, 24}) {
        SCOPED_TRACE(bits);
        TestImage tall(ImageSpec{0, kTall, bits}, 1);
        TestImage joined(ImageSpec{0, kTall, bits}, 2);
        ASSERT_EQ(joined.JoinHorz(tall, 0), DIB_OK);
        EXPECT_EQ(joined.GetWidth(), 0);
        EXPECT_EQ(joined.GetHeight(), kTall);
        CDibEdit rows, columns, combined;
        EXPECT_EQ(rows.CreateHorzInterlaceFrom(tall, 1, 0), DIB_OK);
        EXPECT_EQ(columns.CreateVertInterlaceFrom(tall, 0, 0), DIB_OK);
        EXPECT_EQ(combined.CombineDib(tall, tall, 0, NULL, NULL, 1), DIB_OK);
        EXPECT_EQ(combined.GetHeight(), kTall);

        // 2^31 - 1 columns beside 2^31 - 1 rows: a block size beyond 64 bits.
        TestImage wide(ImageSpec{kTall, 0, bits}, 3);
        const ImageSnapshot before(wide);
        EXPECT_EQ(wide.JoinHorz(tall, 0), DIB_ERR_NO_MEMORY);
        EXPECT_TRUE(before.Matches(wide));
    }
}

}  // namespace
