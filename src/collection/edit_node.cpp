// SPDX-License-Identifier: MIT
// The edit node: links, identifiers, and the chunk record it writes and reads.
#include <velmoro/dib_collection.h>

#include "collection/chunk_record.h"

#include <cstring>

using namespace velmoro;

namespace {

// Bytes of the chunk before the length field (ID, length) and of the fixed
// fields after it (n, S1, S2).
constexpr uint64_t kIdAndLengthBytes = 6;
constexpr uint64_t kFixedBytesAfterLength = 9;

}  // namespace

void* CDibEditNode::operator new(std::size_t bytes)
{
    if (void* node = AllocateBlock(bytes))
        return node;
    throw std::bad_alloc();
}

void* CDibEditNode::operator new(std::size_t bytes, const std::nothrow_t&) noexcept
{
    return AllocateBlock(bytes);
}

void CDibEditNode::operator delete(void* node) noexcept
{
    FreeBlock(node);
}

void CDibEditNode::operator delete(void* node, const std::nothrow_t&) noexcept
{
    FreeBlock(node);
}

CDibEditNode::CDibEditNode() : m_pBeforeNode(NULL), m_pAfterNode(NULL), m_wID(0) {}

CDibEditNode::~CDibEditNode() = default;

CDibEditNode::CDibEditNode(const CDibEditNode& other)
    : CDibEdit(other), m_pBeforeNode(other.m_pBeforeNode), m_pAfterNode(other.m_pAfterNode),
      m_wID(other.m_wID), m_strIDString(other.m_strIDString)
{
}

CDibEditNode& CDibEditNode::operator=(const CDibEditNode& other)
{
    if (this == &other)
        return *this;
    CDibEdit::operator=(other);
    m_pBeforeNode = other.m_pBeforeNode;
    m_pAfterNode = other.m_pAfterNode;
    m_wID = other.m_wID;
    m_strIDString = other.m_strIDString;
    return *this;
}

void CDibEditNode::SetIDString(const char* text)
{
    m_strIDString = text;
}

DWORD CDibEditNode::WriteChunk(CFile& file)
{
    ChunkBlockSizes sizes;
    if (IsEmpty() || !ChunkBlockSizesOf(m_pBmpInfo->bmiHeader, sizes))
        return 0;
    // The field holds the characters and the NUL, its size wrapping at 256: a
    // 255-character string stores nothing, a longer one only its first bytes.
    const BYTE idStringBytes = static_cast<BYTE>(static_cast<unsigned>(m_strIDString.GetLength()) + 1u);
    const uint64_t chunkLength = kFixedBytesAfterLength + idStringBytes + sizes.infoBytes + sizes.pixelBytes;
    if (kIdAndLengthBytes + chunkLength > kMaxBlockBytes)
        return 0;
    try {
        WriteField(file, m_wID);
        WriteField(file, static_cast<DWORD>(chunkLength));
        WriteField(file, idStringBytes);
        file.Write(static_cast<const char*>(m_strIDString), idStringBytes);
        WriteField(file, sizes.infoBytes);
        file.Write(m_pBmpInfo, sizes.infoBytes);
        WriteField(file, sizes.pixelBytes);
        file.Write(m_pBmpBits, sizes.pixelBytes);
    } catch (CFileException* error) {
        error->Delete();
        return 0;
    }
    return static_cast<DWORD>(kIdAndLengthBytes + chunkLength);
}

int CDibEditNode::ReadChunk(CFile& file)
{
    WORD id;
    if (!ReadField(file, id))
        return 0;
    m_wID = id;
    DWORD unusedChunkLength;
    BYTE idStringBytes;
    if (!ReadField(file, unusedChunkLength) || !ReadField(file, idStringBytes))
        return 0;
    char text[256];
    if (file.Read(text, idStringBytes) < idStringBytes) {
        m_strIDString.Empty();
        return 0;
    }
    // A field cut by the modulo carries no NUL: all its bytes are the text.
    const void* nul = std::memchr(text, 0, idStringBytes);
    const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : idStringBytes;
    m_strIDString = CString(text, static_cast<int>(length));
    return ReadChunkImage(file);
}

int CDibEditNode::RefreshChunk(CFile& file)
{
    DWORD unusedChunkLength;
    BYTE idStringBytes;
    if (!ReadField(file, unusedChunkLength) || !ReadField(file, idStringBytes))
        return 0;
    file.Seek(idStringBytes, CFile::current);
    return ReadChunkImage(file);
}

// S1, the info block, S2, the pixel block. Every size is checked against the
// header it describes and the bytes left in the file before it is allocated.
int CDibEditNode::ReadChunkImage(CFile& file)
{
    DWORD infoBytes;
    if (!ReadField(file, infoBytes) || infoBytes < kInfoHeaderBytes)
        return 0;
    BITMAPINFOHEADER header;
    if (file.Read(&header, kInfoHeaderBytes) < kInfoHeaderBytes)
        return 0;
    ChunkBlockSizes sizes;
    const UINT tableBytes = infoBytes - kInfoHeaderBytes;
    if (!ChunkBlockSizesOf(header, sizes) || sizes.infoBytes != infoBytes || tableBytes > BytesLeft(file))
        return 0;
    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(infoBytes);
    if (!info)
        return 0;
    std::memcpy(info.get(), &header, kInfoHeaderBytes);
    if (file.Read(reinterpret_cast<BYTE*>(info.get()) + kInfoHeaderBytes, tableBytes) < tableBytes)
        return 0;

    DWORD pixelBytes;
    if (!ReadField(file, pixelBytes) || pixelBytes != sizes.pixelBytes || pixelBytes > BytesLeft(file))
        return 0;
    BlockPtr<BYTE> bits = MakeBlock(pixelBytes);
    if (!bits || file.Read(bits.get(), pixelBytes) < pixelBytes)
        return 0;

    ReplaceBlocks(info.release(), bits.release());
    return 1;
}
