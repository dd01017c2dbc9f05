// SPDX-License-Identifier: MIT
// The edit list and the collection file.
#include "collection_helpers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <string>
#include <unistd.h>

using namespace collection_test;
using velmoro_test::BytesFile;
using velmoro_test::FailingWriteFile;
using velmoro_test::FileBytes;
using velmoro_test::ShortReadFile;

namespace {

constexpr DWORD kTag = 0x31434C56;  // "VLC1"

class TestList : public CDibEditList {
public:
    CDibEditNode* Tail() const { return m_pTailNode; }

    CDibEditNode* Add(WORD id, const ImageSpec& spec = {3, 2, 24}, const char* name = "n")
    {
        auto node = MakeNode(spec, 100u + id + GetCount(), id, name);
        AppendNode(node.get());
        return node.release();
    }

    explicit TestList(std::initializer_list<WORD> ids = {})
    {
        for (WORD id : ids)
            Add(id);
    }
};

// IDs from head to tail, after checking both links of every node, the tail and the count.
std::vector<WORD> CheckedIds(const TestList& list)
{
    std::vector<WORD> ids;
    const CDibEditNode* before = NULL;
    for (CDibEditNode* node = list.GetFirstNode(); node; node = list.GetNextNode(node)) {
        EXPECT_EQ(node->GetBeforeNode(), before);
        ids.push_back(node->GetID());
        before = node;
    }
    EXPECT_EQ(list.Tail(), before);
    EXPECT_EQ(ids.size(), list.GetCount());
    return ids;
}

std::vector<BYTE> Saved(CDibEditList& list)
{
    CMemFile file;
    EXPECT_NE(list.SaveFile(file, kTag, 0), 0u);
    return FileBytes(file);
}

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() /
            ("velmoro_collection_" + std::to_string(::getpid()) + "_" + name)).string();
}

// A real file on disk whose Nth write fails.
class FailingDiskFile : public CFile {
public:
    explicit FailingDiskFile(int failAt) : m_failAt(failAt) {}
    void Write(const void* buf, UINT count) override
    {
        if (++m_writes == m_failAt)
            AfxThrowFileException(CFileException::diskFull, -1, m_strFilePath);
        CFile::Write(buf, count);
    }

private:
    int m_failAt;
    int m_writes = 0;
};

TEST(CollectionList, AppendKeepsOrderAndFindTakesTheFirst)
{
    TestList list;
    CDibEditNode* first = list.Add(1);
    list.Add(2);
    CDibEditNode* stale = new CDibEditNode(*first);  // carries first's links
    list.AppendNode(stale);
    EXPECT_EQ(CheckedIds(list), (std::vector<WORD>{1, 2, 1}));
    EXPECT_EQ(stale->GetAfterNode(), nullptr);
    EXPECT_EQ(list.FindNode(1), first);
    EXPECT_EQ(list.FindNode(3), nullptr);
    EXPECT_EQ(list.AppendNode(NULL), 0);
    EXPECT_EQ(list.GetNextNode(NULL), nullptr);
    EXPECT_EQ(list.GetCount(), 3u);
}

// Appended again, a member would link the list into a cycle (a sole node or
// the tail) or cut off the nodes after it (a middle node).
TEST(CollectionList, AppendRefusesANodeAlreadyInTheList)
{
    TestList single{7};
    EXPECT_EQ(single.AppendNode(single.GetFirstNode()), 0);
    EXPECT_EQ(CheckedIds(single), (std::vector<WORD>{7}));

    TestList list{1, 2, 3};
    for (CDibEditNode* member : {list.GetFirstNode(), list.FindNode(2), list.Tail()})
        EXPECT_EQ(list.AppendNode(member), 0);
    EXPECT_EQ(CheckedIds(list), (std::vector<WORD>{1, 2, 3}));
    EXPECT_EQ(list.GetCount(), 3u);
}

TEST(CollectionList, DeleteRelinksHeadMiddleTailAndOnlyNode)
{
    struct Case { const char* name; size_t index; std::vector<WORD> left; };
    for (const Case& c : {Case{"head", 0, {2, 3}}, Case{"middle", 1, {1, 3}}, Case{"tail", 2, {1, 2}}}) {
        SCOPED_TRACE(c.name);
        TestList list;
        CDibEditNode* nodes[] = {list.Add(1), list.Add(2), list.Add(3)};
        EXPECT_EQ(list.DeleteNodeUsingPtr(nodes[c.index]), 1);
        EXPECT_EQ(CheckedIds(list), c.left);
        list.Add(9);  // lands behind the right tail
        EXPECT_EQ(CheckedIds(list).back(), 9);
    }
    TestList single{5};
    EXPECT_EQ(single.DeleteNode(5), 1);
    EXPECT_EQ(single.GetFirstNode(), nullptr);
    EXPECT_EQ(single.Tail(), nullptr);
    EXPECT_EQ(single.GetCount(), 0u);
}

TEST(CollectionList, DeleteByIdTakesTheFirstAndRefusesStrangers)
{
    TestList list{4, 5};
    CDibEditNode* later = list.Add(4);
    EXPECT_EQ(list.DeleteNode(7), 0);
    EXPECT_EQ(list.DeleteNode(4), 1);
    EXPECT_EQ(CheckedIds(list), (std::vector<WORD>{5, 4}));
    EXPECT_EQ(list.FindNode(4), later);
    EXPECT_EQ(list.DeleteNodeUsingPtr(NULL), 0);

    // A node of another list, or of none, would corrupt both lists' links.
    TestList other;
    CDibEditNode* foreign = other.Add(5);
    EXPECT_EQ(list.DeleteNodeUsingPtr(foreign), 0);
    CDibEditNode loose;
    EXPECT_EQ(list.DeleteNodeUsingPtr(&loose), 0);
    EXPECT_EQ(CheckedIds(list), (std::vector<WORD>{5, 4}));
    EXPECT_EQ(CheckedIds(other), (std::vector<WORD>{5}));

    list.DeleteAllNode();
    EXPECT_EQ(CheckedIds(list), std::vector<WORD>{});
    EXPECT_EQ(list.GetFirstNode(), nullptr);
}

TEST(CollectionList, CopiesDeepCopyEveryNode)
{
    TestList source;
    source.Add(1, {3, 2, 8}, "one");
    source.Add(2, {2, 2, 16}, "two");
    TestList target{9};
    target = source;
    TestList constructed(source);
    for (const TestList* copy : {&target, &constructed}) {
        EXPECT_EQ(CheckedIds(*copy), (std::vector<WORD>{1, 2}));
        for (CDibEditNode *mine = copy->GetFirstNode(), *theirs = source.GetFirstNode(); mine;
             mine = mine->GetAfterNode(), theirs = theirs->GetAfterNode()) {
            EXPECT_NE(mine, theirs);
            EXPECT_NE(mine->GetBmpBitsAddress(), theirs->GetBmpBitsAddress());
            EXPECT_TRUE(SameImage(*mine, *theirs));
            EXPECT_STREQ(mine->GetIDString(), theirs->GetIDString());
        }
    }
    // Through a reference, so that compilers do not warn of the deliberate self-assignment.
    const TestList& self = target;
    target = self;
    EXPECT_EQ(CheckedIds(target), (std::vector<WORD>{1, 2}));
    target = TestList();
    EXPECT_EQ(CheckedIds(target), std::vector<WORD>{});
    EXPECT_EQ(CheckedIds(source), (std::vector<WORD>{1, 2}));
}

TEST(CollectionFile, OneNodeCollectionIs1102Bytes)
{
    TestList list;
    CDibEditNode* node = list.Add(3, {2, 2, 8}, "ab");
    CMemFile file;
    EXPECT_EQ(list.SaveFile(file, kTag, 0), 1102u);
    EXPECT_EQ(file.GetPosition(), 1102u);
    const std::vector<BYTE> bytes = FileBytes(file);
    ASSERT_EQ(bytes.size(), 1102u);
    EXPECT_EQ(DwordAt(bytes, 0), kTag);
    EXPECT_EQ(DwordAt(bytes, 4), 1094u);
    EXPECT_EQ(DwordAt(bytes, 8), 1u);
    EXPECT_EQ(std::vector<BYTE>(bytes.begin() + 12, bytes.end()), ChunkOf(*node));
}

TEST(CollectionFile, LoadAppendsEveryNodeAfterTheOnesThere)
{
    TestList saved;
    saved.Add(1, {13, 3, 1}, "mono");
    saved.Add(2, {7, 2, 4}, "");
    saved.Add(3, {5, 3, 8, BI_RGB, 20}, "eight");
    saved.Add(4, {3, 4, 16, BI_BITFIELDS}, "565");
    saved.Add(5, {5, 2, 24}, "true");
    const std::vector<BYTE> bytes = Saved(saved);

    TestList loaded{77};
    BytesFile file(bytes);
    EXPECT_EQ(loaded.CreateNewNodeFromFile(file, kTag, 1), 5u);
    EXPECT_EQ(file.closeCount, 1);
    EXPECT_EQ(CheckedIds(loaded), (std::vector<WORD>{77, 1, 2, 3, 4, 5}));
    for (CDibEditNode *mine = loaded.GetFirstNode()->GetAfterNode(), *theirs = saved.GetFirstNode(); mine;
         mine = mine->GetAfterNode(), theirs = theirs->GetAfterNode()) {
        EXPECT_TRUE(SameImage(*mine, *theirs));
        EXPECT_STREQ(mine->GetIDString(), theirs->GetIDString());
    }

    CDibEditNode* firstThree = loaded.FindNode(3);
    BytesFile again(bytes);
    EXPECT_EQ(loaded.CreateNewNodeFromFile(again, kTag, 0), 5u);
    EXPECT_EQ(again.closeCount, 0);
    EXPECT_EQ(loaded.GetCount(), 11u);
    EXPECT_EQ(loaded.FindNode(3), firstThree);
}

TEST(CollectionFile, PathFormsSaveAndLoad)
{
    const std::string path = TempPath("paths.vcl");
    TestList saved{1, 2};
    const DWORD size = saved.SaveFile(path.c_str(), kTag);
    EXPECT_EQ(size, velmoro_test::ReadWholeFile(path).size());
    TestList loaded;
    EXPECT_EQ(loaded.CreateNewNodeFromFile(path.c_str(), kTag), 2u);
    EXPECT_EQ(loaded.CreateNewNodeFromFile((path + ".missing").c_str(), kTag), 0u);
    EXPECT_EQ(loaded.CreateNewNodeFromFile(::testing::TempDir().c_str(), kTag), 0u);

    TestList empty;
    EXPECT_EQ(empty.SaveFile(path.c_str(), kTag), 0u);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    std::filesystem::remove(path);
}

TEST(CollectionFile, EmptyListWritesNothingAndKeepsTheFileOpen)
{
    TestList empty;
    FailingWriteFile file(0);
    EXPECT_EQ(empty.SaveFile(file, kTag, 1), 0u);
    EXPECT_EQ(file.writes, 0);
    EXPECT_EQ(file.closeCount, 0);
}

TEST(CollectionFile, WrongTagRestoresThePosition)
{
    TestList saved{1};
    std::vector<BYTE> bytes(10, 0xEE);
    const std::vector<BYTE> collection = Saved(saved);
    bytes.insert(bytes.end(), collection.begin(), collection.end());
    TestList list;
    for (bool refresh : {false, true}) {
        BytesFile file(bytes);
        file.Seek(10, CFile::begin);
        const DWORD result = refresh ? list.RefreshNodeFromFile(file, kTag + 1, 1)
                                     : list.CreateNewNodeFromFile(file, kTag + 1, 1);
        EXPECT_EQ(result, 0u);
        EXPECT_EQ(file.GetPosition(), 10u);
        EXPECT_EQ(file.closeCount, 1);
        EXPECT_EQ(list.GetCount(), 0u);
    }
}

TEST(CollectionFile, CutThirdChunkGivesTwoNodes)
{
    TestList saved{1, 2, 3};
    std::vector<BYTE> bytes = Saved(saved);
    bytes.resize(bytes.size() - 5);
    TestList loaded;
    BytesFile file(bytes);
    EXPECT_EQ(loaded.CreateNewNodeFromFile(file, kTag, 1), 2u);
    EXPECT_EQ(file.closeCount, 1);
    EXPECT_EQ(CheckedIds(loaded), (std::vector<WORD>{1, 2}));
}

// Every cut of a small collection, by the file's end and by a file that only
// stops delivering: whole chunks load or refresh, the cut one changes nothing.
TEST(CollectionFile, EveryPrefixGivesACleanPartialResult)
{
    TestList saved;
    saved.Add(1, {3, 1, 8, BI_RGB, 2}, "a");
    saved.Add(2, {1, 2, 24}, "");
    saved.Add(3, {2, 1, 16}, "ccc");
    const std::vector<BYTE> bytes = Saved(saved);
    std::vector<size_t> chunkEnds;
    size_t end = 12;
    for (CDibEditNode* node = saved.GetFirstNode(); node; node = node->GetAfterNode())
        chunkEnds.push_back(end += ChunkOf(*node).size());
    ASSERT_EQ(chunkEnds.back(), bytes.size());

    for (size_t length = 0; length <= bytes.size(); ++length) {
        SCOPED_TRACE(length);
        DWORD whole = 0;
        while (whole < chunkEnds.size() && chunkEnds[whole] <= length)
            ++whole;
        if (length < 12)
            whole = 0;
        const std::vector<BYTE> prefix(bytes.begin(), bytes.begin() + static_cast<long>(length));
        for (bool stopping : {false, true}) {
            auto makeFile = [&]() -> std::unique_ptr<CFile> {
                if (stopping)
                    return std::make_unique<ShortReadFile>(bytes, length);
                return std::make_unique<BytesFile>(prefix);
            };
            TestList loaded;
            EXPECT_EQ(loaded.CreateNewNodeFromFile(*makeFile(), kTag, 0), whole);
            EXPECT_EQ(loaded.GetCount(), whole);
            if (stopping)
                continue;  // its budget counts bytes read, not skipped: a position-based cut only

            TestList current;
            current.Add(1, {2, 2, 24});
            current.Add(2, {2, 2, 24});
            current.Add(3, {2, 2, 24});
            const ImageSnapshot lastBefore(*current.FindNode(3));
            std::unique_ptr<CFile> file = makeFile();
            EXPECT_EQ(current.RefreshNodeFromFile(*file, kTag, 0), whole);
            if (whole < 3) {
                EXPECT_EQ(file->GetPosition(), 0u);
                EXPECT_TRUE(lastBefore.Matches(*current.FindNode(3)));
            }
            for (WORD id = 1; id <= 3; ++id)
                EXPECT_EQ(SameImage(*current.FindNode(id), *saved.FindNode(id)), id <= whole);
        }
    }
}

TEST(CollectionFile, CollectionAfterOtherDataReadsBackFromItsPosition)
{
    TestList saved{1, 2};
    CMemFile file;
    const std::vector<BYTE> junk(37, 0x5A);
    file.Write(junk.data(), 37);
    const DWORD size = saved.SaveFile(file, kTag, 0);
    EXPECT_EQ(file.GetPosition(), 37u + size);
    const std::vector<BYTE> bytes = FileBytes(file);
    EXPECT_EQ(DwordAt(bytes, 37), kTag);
    EXPECT_EQ(DwordAt(bytes, 41), size - 8);

    TestList loaded;
    file.Seek(37, CFile::begin);
    EXPECT_EQ(loaded.CreateNewNodeFromFile(file, kTag, 0), 2u);
    EXPECT_EQ(file.GetPosition(), 37u + size);
    file.Seek(37, CFile::begin);
    EXPECT_EQ(loaded.RefreshNodeFromFile(file, kTag, 0), 2u);
    EXPECT_EQ(file.GetPosition(), 37u + size);
}

// Two nodes: tag, placeholder, count, eight writes per chunk, the length written back.
TEST(CollectionFile, EveryFailedWriteFailsTheSave)
{
    TestList list{1, 2};
    for (int failAt = 1; failAt <= 20; ++failAt) {
        SCOPED_TRACE(failAt);
        for (int bClose : {0, 1}) {
            FailingWriteFile file(failAt);
            EXPECT_EQ(list.SaveFile(file, kTag, bClose), 0u);
            EXPECT_EQ(file.closeCount, bClose);
        }
    }
    FailingWriteFile file(21);
    EXPECT_NE(list.SaveFile(file, kTag, 1), 0u);
    EXPECT_EQ(CheckedIds(list), (std::vector<WORD>{1, 2}));
}

TEST(CollectionFile, FailedSaveWithCloseRemovesTheFile)
{
    const std::string path = TempPath("failed.vcl");
    TestList list{1, 2};
    for (int failAt : {1, 4, 12, 20}) {
        SCOPED_TRACE(failAt);
        for (int bClose : {0, 1}) {
            FailingDiskFile file(failAt);
            ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
            EXPECT_EQ(list.SaveFile(file, kTag, bClose), 0u);
            EXPECT_EQ(std::filesystem::exists(path), bClose == 0);
            EXPECT_EQ(file.IsOpen(), bClose == 0);
        }
    }
    // A node without an image cannot be written: the path form leaves no file.
    list.AppendNode(new CDibEditNode);
    EXPECT_EQ(list.SaveFile(path.c_str(), kTag), 0u);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// A save through a device fails there, and removes nothing: the device is no
// file of the save's own. The superuser, who could remove /dev/full itself,
// tries it on a device node of its own making.
TEST(CollectionFile, FailedSaveThroughADeviceRemovesNothing)
{
    std::string device = "/dev/full";
    const std::string made = TempPath("full-device");
    if (geteuid() == 0) {
        if (mknod(made.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
            GTEST_SKIP() << "no device node can be made here";
        device = made;
    }
    struct stat status;
    if (stat(device.c_str(), &status) != 0)
        GTEST_SKIP() << "no " << device;
    TestList list{1, 2};
    EXPECT_EQ(list.SaveFile(device.c_str(), kTag), 0u);  // and no exception
    ASSERT_EQ(stat(device.c_str(), &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
    std::remove(made.c_str());
}

TEST(CollectionFile, RefreshByIdSkipsChunksOfOtherIds)
{
    TestList saved{1};
    saved.Add(2, {4, 4, 8});
    saved.Add(3);
    const std::vector<BYTE> bytes = Saved(saved);
    TestList list;
    CDibEditNode* node = list.Add(2, {1, 1, 24}, "mine");
    BytesFile file(bytes);
    EXPECT_EQ(list.RefreshNodeFromFile(file, kTag, 1), 3u);
    EXPECT_EQ(file.GetPosition(), bytes.size());
    EXPECT_EQ(file.closeCount, 1);
    EXPECT_TRUE(SameImage(*node, *saved.FindNode(2)));
    EXPECT_STREQ(node->GetIDString(), "mine");
    EXPECT_EQ(CheckedIds(list), (std::vector<WORD>{2}));
}

// Several chunks of one ID refresh the first node of that ID once each, the last last.
TEST(CollectionFile, RefreshWithDuplicateIds)
{
    TestList saved;
    saved.Add(2, {2, 2, 24});
    CDibEditNode* last = saved.Add(2, {3, 3, 24});
    TestList list;
    CDibEditNode* first = list.Add(2, {1, 1, 8});
    CDibEditNode* second = list.Add(2, {1, 1, 8});
    const ImageSnapshot secondBefore(*second);
    BytesFile file(Saved(saved));
    EXPECT_EQ(list.RefreshNodeFromFile(file, kTag, 0), 2u);
    EXPECT_TRUE(SameImage(*first, *last));
    EXPECT_TRUE(secondBefore.Matches(*second));
}

TEST(CollectionFile, RefreshStopsAtAChunkThatFails)
{
    TestList saved{1, 2, 3};
    std::vector<BYTE> bytes(5, 0);
    const std::vector<BYTE> collection = Saved(saved);
    bytes.insert(bytes.end(), collection.begin(), collection.end());
    const size_t secondS2 = 5 + 12 + ChunkOf(*saved.FindNode(1)).size() + 52;
    PutDword(bytes, secondS2, 0);

    TestList list;
    CDibEditNode* nodes[] = {list.Add(1, {1, 1, 8}), list.Add(2, {1, 1, 8}), list.Add(3, {1, 1, 8})};
    const ImageSnapshot second(*nodes[1]), third(*nodes[2]);
    BytesFile file(bytes);
    file.Seek(5, CFile::begin);
    EXPECT_EQ(list.RefreshNodeFromFile(file, kTag, 1), 1u);
    EXPECT_EQ(file.GetPosition(), 5u);
    EXPECT_EQ(file.closeCount, 1);
    EXPECT_TRUE(SameImage(*nodes[0], *saved.FindNode(1)));
    EXPECT_TRUE(second.Matches(*nodes[1]));
    EXPECT_TRUE(third.Matches(*nodes[2]));
}

// The file object's exceptions pass through the readers; the node being read is not leaked.
TEST(CollectionFile, ReadExceptionPassesThrough)
{
    class ThrowingReadFile : public BytesFile {
    public:
        using BytesFile::BytesFile;
        UINT Read(void* buf, UINT count) override
        {
            if (++reads == 17)  // inside the second chunk
                AfxThrowFileException(CFileException::hardIO);
            return BytesFile::Read(buf, count);
        }
        int reads = 0;
    };
    TestList saved{1, 2};
    ThrowingReadFile file(Saved(saved));
    TestList list;
    bool thrown = false;
    try {
        list.CreateNewNodeFromFile(file, kTag, 0);
    } catch (CFileException* error) {
        error->Delete();
        thrown = true;
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(CheckedIds(list), (std::vector<WORD>{1}));
}

}  // namespace
