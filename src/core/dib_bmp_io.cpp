// SPDX-License-Identifier: MIT
// BMP files and packed-DIB resources in and out of the image record. Every
// size is computed in 64 bits and checked against the bytes actually present
// before anything is allocated.
#include <velmoro/dib.h>
#include <velmoro/platform/file.h>
#include <velmoro/platform/module.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "base/pixel_layouts.h"
#include "platform/file_support.h"

#include <cstring>

using namespace velmoro;

namespace {

constexpr WORD kBmpSignature = 0x4D42;  // "BM"
constexpr uint32_t kFileHeaderBytes = sizeof(BITMAPFILEHEADER);
constexpr uint32_t kCoreHeaderBytes = sizeof(BITMAPCOREHEADER);

// Bit fields at 16 bits are read everywhere as 5-6-5. A file whose masks spell
// out the plain 5-5-5 layout is recorded as what it is, BI_RGB at 16 bits: the
// same pixel bytes, no masks behind the header.
bool IsSpelledOut555(const BITMAPINFOHEADER& header, const void* masks)
{
    return header.biBitCount == 16 && header.biCompression == BI_BITFIELDS && MasksEqual(masks, kMasks555);
}

BITMAPINFOHEADER WidenCoreHeader(const BITMAPCOREHEADER& core)
{
    BITMAPINFOHEADER header{};
    header.biSize = kInfoHeaderBytes;
    header.biWidth = core.bcWidth;
    header.biHeight = core.bcHeight;
    header.biPlanes = core.bcPlanes;
    header.biBitCount = core.bcBitCount;
    return header;
}

// The pixel-block size a header asks for, or the result code that refuses it.
DWORD CheckPixelBlock(const BITMAPINFOHEADER& header, int64_t& pixelBytes)
{
    pixelBytes = PixelBlockBytes(header);
    if (pixelBytes < 0)
        return DIB_ERR_NO_MEMORY;  // top-down rows: a negative block size
    if (header.biWidth < 0)
        return DIB_ERR_BAD_HEADER;  // negative width and height would pass as a positive size
    if (header.biHeight < 0)
        return DIB_ERR_NO_MEMORY;  // top-down with a zero stride: refused like any top-down file
    if (static_cast<uint64_t>(pixelBytes) > kMaxBlockBytes)
        return DIB_ERR_NO_MEMORY;
    return DIB_OK;
}

}  // namespace

DWORD CDib::Load(const char* path)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead, NULL))
        return DIB_ERR_OPEN;
    return Load(file, 1);
}

DWORD CDib::Load(CFile& file, int bClose)
{
    file.Seek(0, CFile::begin);
    BITMAPFILEHEADER fileHeader;
    if (file.Read(&fileHeader, kFileHeaderBytes) < kFileHeaderBytes)
        return DIB_ERR_FILE_IO;
    if (fileHeader.bfType != kBmpSignature)
        return DIB_ERR_NOT_BMP;

    BITMAPINFOHEADER header;
    if (file.Read(&header, kInfoHeaderBytes) < kInfoHeaderBytes)
        return DIB_ERR_FILE_IO;
    const bool coreHeader = header.biSize != kInfoHeaderBytes;
    if (!coreHeader) {
        if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS)
            return DIB_ERR_COMPRESSED;
    } else {
        file.Seek(kFileHeaderBytes, CFile::begin);
        BITMAPCOREHEADER core;
        if (file.Read(&core, kCoreHeaderBytes) < kCoreHeaderBytes)
            return DIB_ERR_FILE_IO;
        if (core.bcSize != kCoreHeaderBytes)
            return DIB_ERR_BAD_HEADER;
        header = WidenCoreHeader(core);
    }

    const uint64_t entries = ColorEntryCount(&header);
    const uint64_t tableBytes = ColorEntryBytes(&header);
    const uint64_t tableBytesInFile = coreHeader ? 3 * entries : tableBytes;
    if (kInfoHeaderBytes + tableBytes > kMaxBlockBytes)
        return DIB_ERR_NO_MEMORY;
    if (tableBytesInFile > BytesLeft(file))
        return DIB_ERR_FILE_IO;
    int64_t pixelBytes = 0;
    if (DWORD refused = CheckPixelBlock(header, pixelBytes))
        return refused;
    const uint64_t length = file.GetLength();
    if (fileHeader.bfOffBits > length || static_cast<uint64_t>(pixelBytes) > length - fileHeader.bfOffBits)
        return DIB_ERR_FILE_IO;

    DWORD masks[3] = {};
    if (!coreHeader && header.biCompression == BI_BITFIELDS && file.Read(masks, sizeof masks) < sizeof masks)
        return DIB_ERR_FILE_IO;
    if (IsSpelledOut555(header, masks))
        header.biCompression = BI_RGB;
    const uint64_t masksKept = !coreHeader && header.biCompression == BI_BITFIELDS ? sizeof masks : 0;

    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(InfoBlockBytes(&header));
    if (!info)
        return DIB_ERR_NO_MEMORY;
    std::memcpy(info.get(), &header, kInfoHeaderBytes);
    BYTE* table = reinterpret_cast<BYTE*>(info.get()) + kInfoHeaderBytes;
    if (!coreHeader) {
        std::memcpy(table, masks, masksKept);
        const uint64_t entryBytes = 4 * entries;
        if (file.Read(table + masksKept, static_cast<UINT>(entryBytes)) < entryBytes)
            return DIB_ERR_FILE_IO;
    } else {
        RGBQUAD* quads = reinterpret_cast<RGBQUAD*>(table);
        for (uint64_t i = 0; i < entries; ++i) {
            RGBTRIPLE triple;
            if (file.Read(&triple, sizeof triple) < sizeof triple)
                return DIB_ERR_FILE_IO;
            quads[i] = RGBQUAD{triple.rgbtBlue, triple.rgbtGreen, triple.rgbtRed, 0};
        }
    }

    BlockPtr<BYTE> bits = MakeBlock(static_cast<uint64_t>(pixelBytes));
    if (!bits)
        return DIB_ERR_NO_MEMORY;
    file.Seek(fileHeader.bfOffBits, CFile::begin);
    if (file.Read(bits.get(), static_cast<UINT>(pixelBytes)) < static_cast<uint64_t>(pixelBytes))
        return DIB_ERR_FILE_IO;

    ReplaceBlocks(info.release(), bits.release());
    if (bClose)
        file.Close();
    return DIB_OK;
}

DWORD CDib::Load(UINT nID)
{
    return Load(AfxGetResourceHandle(), nID);
}

DWORD CDib::Load(HINSTANCE hInstance, UINT nID)
{
    HRSRC resource = FindResourceA(hInstance, MAKEINTRESOURCEA(nID), RT_BITMAP);
    if (!resource)
        return DIB_ERR_RES_NOT_FOUND;
    HGLOBAL loaded = LoadResource(hInstance, resource);
    if (!loaded)
        return DIB_ERR_RES_LOAD;
    const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
    if (!data)
        return DIB_ERR_RES_LOCK;

    // A packed DIB must carry a 40-byte header and every byte its header promises.
    const uint64_t available = SizeofResource(hInstance, resource);
    if (available < kInfoHeaderBytes)
        return DIB_ERR_BAD_HEADER;
    BITMAPINFOHEADER header;
    std::memcpy(&header, data, kInfoHeaderBytes);
    if (header.biSize != kInfoHeaderBytes)
        return DIB_ERR_BAD_HEADER;
    const uint64_t infoBytes = InfoBlockBytes(&header);
    if (infoBytes > kMaxBlockBytes)
        return DIB_ERR_NO_MEMORY;
    int64_t rowsBytes = 0;
    if (DWORD refused = CheckPixelBlock(header, rowsBytes))
        return refused;
    const uint64_t pixelBytes = header.biSizeImage != 0 ? header.biSizeImage : static_cast<uint64_t>(rowsBytes);
    if (pixelBytes < static_cast<uint64_t>(rowsBytes) || infoBytes + pixelBytes > available)
        return DIB_ERR_FILE_IO;

    // The masks lie inside infoBytes, which the size checks above have covered.
    const bool plain555 = IsSpelledOut555(header, data + kInfoHeaderBytes);
    const uint64_t masksDropped = plain555 ? kBitfieldMaskBytes : 0;
    BlockPtr<BITMAPINFO> info = MakeBlock<BITMAPINFO>(infoBytes - masksDropped);
    BlockPtr<BYTE> bits = MakeBlock(pixelBytes);
    if (!info || !bits)
        return DIB_ERR_NO_MEMORY;
    std::memcpy(info.get(), data, kInfoHeaderBytes);
    std::memcpy(reinterpret_cast<BYTE*>(info.get()) + kInfoHeaderBytes, data + kInfoHeaderBytes + masksDropped,
                infoBytes - kInfoHeaderBytes - masksDropped);
    if (plain555)
        info->bmiHeader.biCompression = BI_RGB;
    std::memcpy(bits.get(), data + infoBytes, pixelBytes);
    ReplaceBlocks(info.release(), bits.release());
    return DIB_OK;
}

int CDib::WriteBmp(const char* path)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite, NULL))
        return DIB_ERR_OPEN;
    return static_cast<int>(WriteBmp(file, 1));
}

DWORD CDib::WriteBmp(CFile& file, int bClose)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    const uint64_t tableBytes = ColorEntryBytes(m_pBmpInfo);
    const int64_t pixelBytes = PixelBlockBytes(m_pBmpInfo->bmiHeader);
    if (pixelBytes < 0 || kInfoHeaderBytes + tableBytes > kMaxBlockBytes ||
        static_cast<uint64_t>(pixelBytes) > kMaxBlockBytes)
        return DIB_ERR_WRITE;

    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = kBmpSignature;
    fileHeader.bfSize = static_cast<DWORD>(tableBytes + static_cast<uint64_t>(pixelBytes) + 54);
    fileHeader.bfOffBits = static_cast<DWORD>(tableBytes + 54);
    return CatchFileErrors(DIB_ERR_WRITE, [&] {
        file.Write(&fileHeader, kFileHeaderBytes);
        file.Write(m_pBmpInfo, static_cast<UINT>(kInfoHeaderBytes + tableBytes));
        file.Write(m_pBmpBits, static_cast<UINT>(pixelBytes));
        if (bClose)
            file.Close();
    });
}
