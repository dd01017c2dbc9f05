// SPDX-License-Identifier: MIT
// The image record: lifecycle, size rules, deep copy and the colour search.
#include <velmoro/dib.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "base/pixel_layouts.h"

#include <cstring>

using namespace velmoro;

extern "C" int GetRenderInterfaceVersion()
{
    return 1;
}

CDib::CDib() : m_pBmpInfo(NULL), m_pBmpBits(NULL) {}

CDib::~CDib()
{
    FreeBlock(m_pBmpInfo);
    FreeBlock(m_pBmpBits);
}

CDib::CDib(const CDib& other) : CDib()
{
    if (!other.IsEmpty())
        CopyDib(other);
}

// Deep copy. An empty source empties this image; a failed allocation leaves it as it was.
CDib& CDib::operator=(const CDib& other)
{
    if (this == &other)
        return *this;
    if (other.IsEmpty())
        ReplaceBlocks(NULL, NULL);
    else
        CopyDib(other);
    return *this;
}

int CDib::IsWinDIB(const BITMAPINFOHEADER* header)
{
    return header->biSize == kInfoHeaderBytes ? 1 : 0;
}

int CDib::GetNumColorEntry(const BITMAPINFO* info)
{
    return static_cast<int>(ColorEntryCount(info));
}

int CDib::GetColorEntrySize(const BITMAPINFO* info)
{
    return static_cast<int>(ColorEntryBytes(info));
}

void CDib::ReplaceBlocks(BITMAPINFO* info, BYTE* bits)
{
    FreeBlock(m_pBmpInfo);
    FreeBlock(m_pBmpBits);
    m_pBmpInfo = info;
    m_pBmpBits = bits;
}

DWORD CDib::CopyDib(const CDib& source)
{
    if (source.IsEmpty())
        return DIB_ERR_EMPTY;
    const uint64_t infoBytes = InfoBlockBytes(source.m_pBmpInfo);
    const int64_t pixelBytes = PixelBlockBytes(source.m_pBmpInfo->bmiHeader);
    if (pixelBytes < 0)
        return DIB_ERR_NO_MEMORY;
    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(infoBytes);
    BlockPtr<BYTE> bits = MakeBlock(static_cast<uint64_t>(pixelBytes));
    if (!info || !bits)
        return DIB_ERR_NO_MEMORY;
    std::memcpy(info.get(), source.m_pBmpInfo, infoBytes);
    if (pixelBytes > 0)
        std::memcpy(bits.get(), source.m_pBmpBits, static_cast<size_t>(pixelBytes));
    ReplaceBlocks(info.release(), bits.release());
    return DIB_OK;
}

int CDib::GetColorTableIndex(const RGBQUAD* table, DWORD color, int count) const
{
    for (int i = 0; i < count; ++i) {
        if (EntryColor(table[i]) == color)
            return i;
    }
    return 0;
}
