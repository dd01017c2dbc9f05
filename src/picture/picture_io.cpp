// SPDX-License-Identifier: MIT
// The picture reader and writer: the format told by content or name, then
// the one reader or writer for it.
#include <velmoro/picture_io.h>
#include <velmoro/platform/file.h>

#include "base/blocks.h"
#include "picture/picture_blocks.h"
#include "picture/picture_bmp.h"
#include "picture/picture_jpeg.h"
#include "picture/picture_png.h"
#include "platform/file_support.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using namespace velmoro;

namespace {

constexpr BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr BYTE kJpegStart[3] = {0xFF, 0xD8, 0xFF};
// Enough of a file to tell its format.
constexpr UINT kSignatureBytes = sizeof kPngSignature;

bool StartsWith(const BYTE* data, size_t size, const BYTE* prefix, size_t prefixSize)
{
    return size >= prefixSize && std::memcmp(data, prefix, prefixSize) == 0;
}

bool IsValid(const PictureReadOptions& options)
{
    return options.alpha == PICTURE_ALPHA_DROP || options.alpha == PICTURE_ALPHA_KEY ||
           options.alpha == PICTURE_ALPHA_BACKGROUND;
}

// The bytes from the file's present position to its end.
DWORD ReadRest(CFile& file, BlockPtr<BYTE>& bytes, uint64_t& size)
{
    size = BytesLeft(file);
    if (size > kMaxBlockBytes)
        return DIB_ERR_NO_MEMORY;  // the file object reads in 32-bit counts
    bytes = MakeBlock(size);
    if (!bytes)
        return DIB_ERR_NO_MEMORY;
    if (file.Read(bytes.get(), static_cast<UINT>(size)) < size)
        return DIB_ERR_FILE_IO;
    return DIB_OK;
}

// The format of the bytes at the file's present position; the position stays.
int PeekFormat(CFile& file)
{
    const uint64_t start = file.GetPosition();
    BYTE head[kSignatureBytes];
    const UINT got = file.Read(head, sizeof head);
    file.Seek(static_cast<int64_t>(start), CFile::begin);
    return PictureFormatFromContent(head, got);
}

DWORD LoadFromMemory(CDib& image, const BYTE* data, size_t size, const PictureReadOptions& options)
{
    PictureBlocks picture;
    switch (PictureFormatFromContent(data, size)) {
    case PICTURE_FORMAT_BMP:
        if (DWORD refused = ReadBmp(data, size, options, picture))
            return refused;
        break;
    case PICTURE_FORMAT_PNG: {
        if (size > kMaxBlockBytes)
            return DIB_ERR_NO_MEMORY;  // the memory file counts in 32 bits
        // Read only: the memory file never writes into the caller's bytes.
        CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
        if (DWORD refused = ReadPng(file, options, picture))
            return refused;
        break;
    }
    case PICTURE_FORMAT_JPEG:
        return ReadJpeg(image, data, size);
    default:
        return DIB_ERR_FORMAT;
    }
    picture.Install(image);
    return DIB_OK;
}

DWORD CheckWriteOptions(const PictureWriteOptions& options)
{
    if (options.format != PICTURE_FORMAT_BMP && options.format != PICTURE_FORMAT_JPEG &&
        options.format != PICTURE_FORMAT_PNG)
        return DIB_ERR_FORMAT;
    const int sampling = options.jpegSubsampling;
    if (options.jpegQuality < 1 || options.jpegQuality > 100 ||
        (sampling != 0 && sampling != 444 && sampling != 422 && sampling != 420) || options.pngCompression < 0 ||
        options.pngCompression > 9 || (options.alpha != PICTURE_ALPHA_DROP && options.alpha != PICTURE_ALPHA_KEY))
        return DIB_ERR_BAD_ARGUMENT;
    return DIB_OK;
}

// The whole file in memory, so that nothing reaches the caller's file (or
// creates a named one) unless the picture could be encoded.
DWORD Encode(CDib& image, const PictureWriteOptions& options, CMemFile& encoded)
{
    if (DWORD refused = CheckWriteOptions(options))
        return refused;
    if (image.IsEmpty())
        return DIB_ERR_EMPTY;
    switch (options.format) {
    case PICTURE_FORMAT_BMP: return image.WriteBmp(encoded, 0);
    case PICTURE_FORMAT_PNG: return WritePng(image, options, encoded);
    default: return WriteJpeg(image, options, encoded);
    }
}

DWORD CopyInto(CMemFile& encoded, CFile& file)
{
    const uint64_t length = encoded.GetLength();
    if (length > UINT32_MAX)
        return DIB_ERR_WRITE;  // the file object writes in 32-bit counts
    const std::unique_ptr<BYTE, decltype(&std::free)> bytes(encoded.Detach(), &std::free);
    return CatchFileErrors(DIB_ERR_WRITE, [&] { file.Write(bytes.get(), static_cast<UINT>(length)); });
}

}  // namespace

PictureReadOptions DefaultPictureReadOptions()
{
    return PictureReadOptions{PICTURE_ALPHA_DROP, RGB(255, 0, 255), RGB(0, 0, 0)};
}

PictureWriteOptions DefaultPictureWriteOptions(int format)
{
    return PictureWriteOptions{format, 90, 0, 6, PICTURE_ALPHA_DROP, RGB(255, 0, 255)};
}

int PictureFormatFromPath(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    const char* dot = std::strrchr(slash ? slash : path, '.');
    if (!dot)
        return PICTURE_FORMAT_AUTO;
    std::string extension;
    for (const char* c = dot + 1; *c; ++c)
        extension += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    if (extension == "bmp" || extension == "dib")
        return PICTURE_FORMAT_BMP;
    if (extension == "jpg" || extension == "jpeg" || extension == "jpe" || extension == "jfif")
        return PICTURE_FORMAT_JPEG;
    if (extension == "png")
        return PICTURE_FORMAT_PNG;
    return PICTURE_FORMAT_AUTO;
}

int PictureFormatFromContent(const void* data, size_t size)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return PICTURE_FORMAT_BMP;
    if (StartsWith(bytes, size, kPngSignature, sizeof kPngSignature))
        return PICTURE_FORMAT_PNG;
    if (StartsWith(bytes, size, kJpegStart, sizeof kJpegStart))
        return PICTURE_FORMAT_JPEG;
    return PICTURE_FORMAT_AUTO;
}

DWORD LoadPicture(CDib& image, const char* path)
{
    return LoadPicture(image, path, DefaultPictureReadOptions());
}

DWORD LoadPicture(CDib& image, const char* path, const PictureReadOptions& options)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead, NULL))
        return DIB_ERR_OPEN;
    return LoadPicture(image, file, 1, options);
}

DWORD LoadPicture(CDib& image, CFile& file, int bClose)
{
    return LoadPicture(image, file, bClose, DefaultPictureReadOptions());
}

DWORD LoadPicture(CDib& image, CFile& file, int bClose, const PictureReadOptions& options)
{
    if (!IsValid(options))
        return DIB_ERR_BAD_ARGUMENT;
    if (PeekFormat(file) == PICTURE_FORMAT_PNG) {
        // PNG streams from the file: its compressed bytes are never held whole.
        PictureBlocks picture;
        if (DWORD refused = ReadPng(file, options, picture))
            return refused;
        picture.Install(image);
    } else {
        BlockPtr<BYTE> bytes;
        uint64_t size = 0;
        if (DWORD failed = ReadRest(file, bytes, size))
            return failed;
        if (DWORD refused = LoadFromMemory(image, bytes.get(), static_cast<size_t>(size), options))
            return refused;
    }
    if (bClose)
        file.Close();
    return DIB_OK;
}

DWORD LoadPicture(CDib& image, const void* data, size_t size, const PictureReadOptions& options)
{
    if (!IsValid(options))
        return DIB_ERR_BAD_ARGUMENT;
    return LoadFromMemory(image, static_cast<const BYTE*>(data), size, options);
}

DWORD ReadPictureInfo(const char* path, PictureInfo& info)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead, NULL))
        return DIB_ERR_OPEN;
    BYTE head[kBmpHeadersBytes];
    const UINT got = file.Read(head, sizeof head);
    switch (PictureFormatFromContent(head, got)) {
    case PICTURE_FORMAT_BMP: return ReadBmpInfo(head, got, file.GetLength(), info);
    case PICTURE_FORMAT_PNG: file.Seek(0, CFile::begin); return ReadPngInfo(file, info);
    case PICTURE_FORMAT_JPEG: return ReadJpegInfo(path, info);
    default: return DIB_ERR_FORMAT;
    }
}

DWORD ReadPictureInfo(const void* data, size_t size, PictureInfo& info)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    switch (PictureFormatFromContent(bytes, size)) {
    case PICTURE_FORMAT_BMP: return ReadBmpInfo(bytes, size, size, info);
    case PICTURE_FORMAT_PNG: {
        if (size > kMaxBlockBytes)
            return DIB_ERR_NO_MEMORY;
        CMemFile file(const_cast<BYTE*>(bytes), static_cast<UINT>(size));
        return ReadPngInfo(file, info);
    }
    case PICTURE_FORMAT_JPEG: return ReadJpegInfo(bytes, size, info);
    default: return DIB_ERR_FORMAT;
    }
}

DWORD WritePicture(CDib& image, const char* path)
{
    return WritePicture(image, path, DefaultPictureWriteOptions(PictureFormatFromPath(path)));
}

DWORD WritePicture(CDib& image, const char* path, const PictureWriteOptions& options)
{
    PictureWriteOptions named = options;
    if (named.format == PICTURE_FORMAT_AUTO)
        named.format = PictureFormatFromPath(path);
    CMemFile encoded;
    if (DWORD refused = Encode(image, named, encoded))
        return refused;
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite, NULL))
        return DIB_ERR_OPEN;
    if (DWORD failed = CopyInto(encoded, file))
        return failed;
    return CatchFileErrors(DIB_ERR_WRITE, [&] { file.Close(); });
}

DWORD WritePicture(CDib& image, CFile& file, const PictureWriteOptions& options)
{
    CMemFile encoded;
    if (DWORD refused = Encode(image, options, encoded))
        return refused;
    return CopyInto(encoded, file);
}
