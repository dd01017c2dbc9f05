// SPDX-License-Identifier: MIT
// Edit nodes: identifiers, copies and the chunk record.
#include "collection_helpers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace collection_test;
using velmoro_test::BytesFile;
using velmoro_test::FailingWriteFile;
using velmoro_test::FileBytes;
using velmoro_test::ShortReadFile;

namespace {

TEST(CollectionChunk, EightBitTwoByTwoWithTableIs1090Bytes)
{
    auto node = MakeNode({2, 2, 8}, 1, 0x1234, "ab");
    FailingWriteFile file(0);  // never fails; counts the writes
    EXPECT_EQ(node->WriteChunk(file), 1090u);
    EXPECT_EQ(file.writes, 8);
    const std::vector<BYTE> chunk = FileBytes(file);
    ASSERT_EQ(chunk.size(), 1090u);
    EXPECT_EQ(chunk[0] | chunk[1] << 8, 0x1234);
    EXPECT_EQ(DwordAt(chunk, 2), 1084u);
    EXPECT_EQ(chunk[6], 3);
    EXPECT_EQ(std::memcmp(chunk.data() + 7, "ab", 3), 0);
    EXPECT_EQ(DwordAt(chunk, 10), 1064u);
    EXPECT_EQ(std::memcmp(chunk.data() + 14, node->GetBmpInfoAddress(), 1064), 0);
    EXPECT_EQ(DwordAt(chunk, 1078), 8u);
    EXPECT_EQ(std::memcmp(chunk.data() + 1082, node->GetBmpBitsAddress(), 8), 0);
}

TEST(CollectionChunk, TwentyFourBitThreeByTwoWithoutNameIs80Bytes)
{
    auto node = MakeNode({3, 2, 24}, 2, 5, "");
    const std::vector<BYTE> chunk = ChunkOf(*node);
    ASSERT_EQ(chunk.size(), 80u);
    EXPECT_EQ(DwordAt(chunk, 2), 74u);
    EXPECT_EQ(chunk[6], 1);
    EXPECT_EQ(chunk[7], 0);
    EXPECT_EQ(DwordAt(chunk, 8), 40u);
    EXPECT_EQ(DwordAt(chunk, 52), 24u);
}

TEST(CollectionChunk, EveryDepthRoundTripsByteForByte)
{
    const ImageSpec specs[] = {{13, 3, 1}, {7, 2, 4}, {5, 3, 8}, {5, 3, 8, BI_RGB, 16}, {3, 4, 16},
                               {3, 4, 16, BI_BITFIELDS}, {5, 2, 24}, {3, 3, 32}};
    uint32_t seed = 10;
    for (const ImageSpec& spec : specs) {
        SCOPED_TRACE(spec.bitCount);
        ++seed;
        auto written = MakeNode(spec, seed, static_cast<WORD>(seed), "name");
        const std::vector<BYTE> chunk = ChunkOf(*written);
        BytesFile file(chunk);
        CDibEditNode read;
        ASSERT_EQ(read.ReadChunk(file), 1);
        EXPECT_EQ(file.GetPosition(), chunk.size());
        EXPECT_EQ(read.GetID(), written->GetID());
        EXPECT_STREQ(read.GetIDString(), "name");
        EXPECT_TRUE(SameImage(read, *written));
        EXPECT_EQ(ChunkOf(read), chunk);
    }
}

// The ID string field's size is a byte: (length + 1) modulo 256.
TEST(CollectionChunk, IdStringFieldWrapsAt256)
{
    struct Case { size_t length; BYTE stored; size_t readBack; } cases[] = {
        {254, 255, 254}, {255, 0, 0}, {300, 45, 45}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string name(c.length, 'x');
        for (size_t i = 0; i < name.size(); ++i)
            name[i] = static_cast<char>('a' + i % 26);
        auto node = MakeNode({3, 2, 24}, 3, 1, name.c_str());
        const std::vector<BYTE> chunk = ChunkOf(*node);
        EXPECT_EQ(chunk[6], c.stored);
        EXPECT_EQ(chunk.size(), 79u + c.stored);
        BytesFile file(chunk);
        CDibEditNode read;
        ASSERT_EQ(read.ReadChunk(file), 1);
        EXPECT_EQ(std::string(read.GetIDString()), name.substr(0, c.readBack));
    }
}

TEST(CollectionChunk, NodeWithoutImageWritesNothing)
{
    CDibEditNode node;
    CMemFile file;
    EXPECT_EQ(node.WriteChunk(file), 0u);
    EXPECT_EQ(file.GetLength(), 0u);
}

TEST(CollectionChunk, FailedWriteReturnsZeroAndLeavesNodeAlone)
{
    auto node = MakeNode({3, 2, 8}, 4, 1, "n");
    const ImageSnapshot before(*node);
    for (int failAt = 1; failAt <= 8; ++failAt) {
        FailingWriteFile file(failAt);
        EXPECT_EQ(node->WriteChunk(file), 0u) << failAt;
        EXPECT_EQ(file.writes, failAt);
        EXPECT_TRUE(before.Matches(*node));
    }
}

// Every field that would make the image lie about its blocks is refused before
// anything is allocated, and the node keeps its image.
TEST(CollectionChunk, ReadRefusesInconsistentBlocks)
{
    auto source = MakeNode({3, 2, 24}, 5, 1, "");  // S1 at 8, header at 12, S2 at 52
    const std::vector<BYTE> chunk = ChunkOf(*source);
    auto word = [](std::vector<BYTE>& b, size_t at, WORD v) { std::memcpy(b.data() + at, &v, 2); };
    const std::vector<std::pair<const char*, std::function<void(std::vector<BYTE>&)>>> faults = {
        {"S1 zero", [](auto& b) { PutDword(b, 8, 0); }},
        {"S1 below a header", [](auto& b) { PutDword(b, 8, 39); }},
        {"S1 beside the header", [](auto& b) { PutDword(b, 8, 44); }},
        {"S2 zero", [](auto& b) { PutDword(b, 52, 0); }},
        {"S2 beside the header", [](auto& b) { PutDword(b, 52, 28); }},
        {"header size 12", [](auto& b) { PutDword(b, 12, 12); }},
        {"width 0", [](auto& b) { PutDword(b, 16, 0); }},
        {"top-down height", [](auto& b) { PutDword(b, 20, static_cast<DWORD>(-2)); }},
        {"two bits", [&](auto& b) { word(b, 26, 2); }},
        {"run-length compressed", [](auto& b) { PutDword(b, 28, BI_RLE8); }},
        {"table beyond the file", [](auto& b) { PutDword(b, 44, 1000); PutDword(b, 8, 4040); }},
        {"pixels beyond the file", [](auto& b) { PutDword(b, 16, 0x100000); PutDword(b, 52, 0x600000); }},
        {"pixels beyond 64 bits", [](auto& b) { PutDword(b, 16, 0x7FFFFFFF); PutDword(b, 20, 0x7FFFFFFF); }},
        {"table beyond 32 bits", [](auto& b) { PutDword(b, 44, 0x40000000); PutDword(b, 8, 40); }},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.first);
        std::vector<BYTE> bad = chunk;
        fault.second(bad);
        auto node = MakeNode({2, 2, 8}, 6, 9, "old");
        const ImageSnapshot before(*node);
        BytesFile file(bad);
        EXPECT_EQ(node->ReadChunk(file), 0);
        EXPECT_TRUE(before.Matches(*node));
        BytesFile refreshFile(bad);
        refreshFile.Seek(2, CFile::begin);
        EXPECT_EQ(node->RefreshChunk(refreshFile), 0);
        EXPECT_TRUE(before.Matches(*node));
    }
}

// Cut at every length, by the file's end and by a file that only stops
// delivering: the ID changes once its bytes arrive, the string empties when
// cut inside it, the image never changes.
TEST(CollectionChunk, ReadOfEveryPrefixFailsCleanly)
{
    auto source = MakeNode({3, 2, 8, BI_RGB, 4}, 7, 0x0A0B, "name");  // n = 5, 92 bytes
    const std::vector<BYTE> chunk = ChunkOf(*source);
    for (size_t length = 0; length < chunk.size(); ++length) {
        SCOPED_TRACE(length);
        BytesFile cut(std::vector<BYTE>(chunk.begin(), chunk.begin() + static_cast<long>(length)));
        ShortReadFile stopping(chunk, length);
        for (CFile* file : {static_cast<CFile*>(&cut), static_cast<CFile*>(&stopping)}) {
            auto node = MakeNode({2, 2, 24}, 8, 99, "keep");
            const ImageSnapshot before(*node);
            EXPECT_EQ(node->ReadChunk(*file), 0);
            EXPECT_TRUE(before.Matches(*node));
            EXPECT_EQ(node->GetID(), length >= 2 ? 0x0A0B : 99);
            const char* name = length < 7 ? "keep" : length < 12 ? "" : "name";
            EXPECT_STREQ(node->GetIDString(), name);
        }
    }
}

TEST(CollectionChunk, RefreshReplacesOnlyTheImage)
{
    auto stored = MakeNode({5, 3, 16}, 9, 3, "other");
    const std::vector<BYTE> chunk = ChunkOf(*stored);
    auto node = MakeNode({2, 2, 8}, 10, 7, "x");
    BytesFile file(chunk);
    file.Seek(2, CFile::begin);  // the caller has read the ID
    ASSERT_EQ(node->RefreshChunk(file), 1);
    EXPECT_EQ(file.GetPosition(), chunk.size());
    EXPECT_EQ(node->GetID(), 7);
    EXPECT_STREQ(node->GetIDString(), "x");
    EXPECT_TRUE(SameImage(*node, *stored));
}

TEST(CollectionNode, CopiesOwnTheirImageAndName)
{
    auto source = MakeNode({4, 3, 24}, 11, 42, "original");
    CDibEditNode neighbour;
    source->SetAfterNode(&neighbour);

    CDibEditNode constructed(*source);
    auto assigned = MakeNode({2, 2, 8}, 12, 1, "replaced");
    *assigned = *source;
    for (const CDibEditNode* copy : {&constructed, assigned.get()}) {
        EXPECT_TRUE(SameImage(*copy, *source));
        EXPECT_NE(copy->GetBmpInfoAddress(), source->GetBmpInfoAddress());
        EXPECT_NE(copy->GetBmpBitsAddress(), source->GetBmpBitsAddress());
        EXPECT_NE(copy->GetIDString(), source->GetIDString());
        EXPECT_STREQ(copy->GetIDString(), "original");
        EXPECT_EQ(copy->GetID(), 42);
        EXPECT_EQ(copy->GetAfterNode(), &neighbour);
    }
    source->SetIDString("changed");
    source->GetBmpBitsAddress()[0] ^= 0xFF;
    EXPECT_STREQ(constructed.GetIDString(), "original");
    EXPECT_FALSE(SameImage(constructed, *source));

    *assigned = *assigned;
    EXPECT_TRUE(SameImage(*assigned, constructed));
    CDibEditNode empty;
    *assigned = empty;
    EXPECT_TRUE(assigned->IsEmpty());
}

}  // namespace
