// SPDX-License-Identifier: MIT
// One chunk record over hostile bytes: CDibEditNode::ReadChunk on the whole
// input and RefreshChunk on the input past its ID field. A read that fails must
// leave the node's image as it was; one that succeeds must give an image within
// the record's rules that writes back and reads again to the same chunk.
#include <velmoro/dib_collection.h>

#include "image_checks.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool SameBlocks(const CDib& a, const CDib& b)
{
    if (a.IsEmpty() || b.IsEmpty())
        return a.IsEmpty() == b.IsEmpty();
    const uint64_t infoBytes = velmoro::InfoBlockBytes(a.GetBmpInfoAddress());
    const int64_t pixelBytes = velmoro::PixelBlockBytes(a.GetBmpInfoAddress()->bmiHeader);
    return infoBytes == velmoro::InfoBlockBytes(b.GetBmpInfoAddress()) &&
           pixelBytes == velmoro::PixelBlockBytes(b.GetBmpInfoAddress()->bmiHeader) &&
           std::memcmp(a.GetBmpInfoAddress(), b.GetBmpInfoAddress(), infoBytes) == 0 &&
           std::memcmp(a.GetBmpBitsAddress(), b.GetBmpBitsAddress(), static_cast<size_t>(pixelBytes)) == 0;
}

std::vector<BYTE> Contents(CMemFile& file)
{
    std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
    file.Seek(0, CFile::begin);
    if (!bytes.empty())
        file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

// Reads one chunk with the given member into a node that holds a small image.
int ReadInto(CDibEditNode& node, std::vector<BYTE>& bytes, int (CDibEditNode::*read)(CFile&))
{
    if (node.Create(2, 2, 16, 0x00123456, 0) != DIB_OK)
        __builtin_trap();
    CDib before;
    before.CopyDib(node);
    const BITMAPINFO* oldInfo = node.GetBmpInfoAddress();
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    const int result = (node.*read)(file);
    if (result == 0 && (node.GetBmpInfoAddress() != oldInfo || !SameBlocks(node, before)))
        __builtin_trap();
    fuzz::CheckImage(node);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    std::vector<BYTE> bytes(data, data + size);
    CDibEditNode node;
    if (ReadInto(node, bytes, &CDibEditNode::ReadChunk) == 1) {
        CMemFile written;
        const DWORD chunkBytes = node.WriteChunk(written);
        if (chunkBytes == 0 || chunkBytes != written.GetLength())
            __builtin_trap();
        std::vector<BYTE> chunk = Contents(written);
        CDibEditNode reread;
        CMemFile file(chunk.data(), static_cast<UINT>(chunk.size()));
        // A 255-character ID string has no room for its NUL and is stored empty.
        const bool nameFits = std::strlen(node.GetIDString()) < 255;
        if (reread.ReadChunk(file) != 1 || !SameBlocks(reread, node) || reread.GetID() != node.GetID() ||
            (nameFits && std::strcmp(reread.GetIDString(), node.GetIDString()) != 0))
            __builtin_trap();
    }
    if (size >= 2) {
        std::vector<BYTE> afterId(data + 2, data + size);
        CDibEditNode refreshed;
        refreshed.SetID(7);
        refreshed.SetIDString("kept");
        ReadInto(refreshed, afterId, &CDibEditNode::RefreshChunk);
        if (refreshed.GetID() != 7 || std::strcmp(refreshed.GetIDString(), "kept") != 0)
            __builtin_trap();
    }
    return 0;
}
