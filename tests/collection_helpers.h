// SPDX-License-Identifier: MIT
// Nodes, chunks and field readers shared by the collection tests.
#ifndef VELMORO_TESTS_COLLECTION_HELPERS_H
#define VELMORO_TESTS_COLLECTION_HELPERS_H

#include <velmoro/dib_collection.h>

#include "support/test_files.h"
#include "support/test_images.h"

#include <cstring>
#include <memory>
#include <vector>

namespace collection_test {

using velmoro_test::ImageSnapshot;
using velmoro_test::ImageSpec;
using velmoro_test::TestImage;

inline std::unique_ptr<CDibEditNode> MakeNode(const ImageSpec& spec, uint32_t seed, WORD id, const char* name)
{
    std::unique_ptr<CDibEditNode> node(new CDibEditNode);
    node->CopyDib(TestImage(spec, seed));
    node->SetID(id);
    node->SetIDString(name);
    return node;
}

inline std::vector<BYTE> ChunkOf(CDibEditNode& node)
{
    CMemFile file;
    node.WriteChunk(file);
    return velmoro_test::FileBytes(file);
}

inline DWORD DwordAt(const std::vector<BYTE>& bytes, size_t offset)
{
    DWORD value;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

inline void PutDword(std::vector<BYTE>& bytes, size_t offset, DWORD value)
{
    std::memcpy(bytes.data() + offset, &value, 4);
}

// Same bytes in both blocks (addresses may differ).
inline bool SameImage(const CDib& a, const CDib& b)
{
    const ImageSnapshot left(a), right(b);
    return a.IsEmpty() == b.IsEmpty() && left.info == right.info && left.bits == right.bits;
}

}  // namespace collection_test

#endif
