// SPDX-License-Identifier: MIT
// Collection readers over hostile bytes: load, refresh, then save what loaded
// and load it again, which must give the same file.
#include <velmoro/dib_collection.h>

#include "image_checks.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Every node's image within the record's rules, and its ID string readable.
void CheckNodes(const CDibEditList& list)
{
    for (CDibEditNode* node = list.GetFirstNode(); node; node = list.GetNextNode(node)) {
        fuzz::CheckImage(*node);
        fuzz::g_byteSum = fuzz::g_byteSum + static_cast<unsigned>(std::strlen(node->GetIDString()));
    }
}

std::vector<BYTE> Contents(CMemFile& file)
{
    std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
    file.Seek(0, CFile::begin);
    if (!bytes.empty())
        file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4 || size > (1u << 24))
        return 0;
    // The stored tag is the expected one, so every input gets past the header check.
    DWORD tag;
    std::memcpy(&tag, data, sizeof tag);
    std::vector<BYTE> bytes(data, data + size);
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));

    CDibEditList list;
    const DWORD loaded = list.CreateNewNodeFromFile(file, tag, 0);
    if (loaded != list.GetCount())
        __builtin_trap();
    CheckNodes(list);

    file.Seek(0, CFile::begin);
    list.RefreshNodeFromFile(file, tag, 0);
    CheckNodes(list);

    if (loaded == 0)
        return 0;
    CMemFile saved;
    const DWORD written = list.SaveFile(saved, tag, 0);
    if (written == 0 || written != saved.GetLength())
        __builtin_trap();
    CDibEditList reloaded;
    saved.Seek(0, CFile::begin);
    if (reloaded.CreateNewNodeFromFile(saved, tag, 0) != loaded)
        __builtin_trap();
    CMemFile again;
    if (reloaded.SaveFile(again, tag, 0) != written || Contents(again) != Contents(saved))
        __builtin_trap();
    return 0;
}
