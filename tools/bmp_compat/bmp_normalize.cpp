// The tolerant BMP reader: every header form in common use, run-length
// compression and top-down rows, rewritten as the plain file CDib::Load reads.
// Every field is hostile: sizes are computed in 64 bits and checked against
// the bytes present before anything is allocated.
#include "bmp_compat/bmp_normalize.h"

#include <velmoro/platform/file.h>

#include "core/blocks.h"
#include "core/dib_layout.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace velmoro_tool {
namespace {

using velmoro::kBitfieldMaskBytes;
using velmoro::kInfoHeaderBytes;
using velmoro::kMaxBlockBytes;

constexpr uint32_t kFileHeaderBytes = sizeof(BITMAPFILEHEADER);
constexpr uint32_t kCoreHeaderBytes = sizeof(BITMAPCOREHEADER);
constexpr uint32_t kPlainHeadersBytes = kFileHeaderBytes + kInfoHeaderBytes;
constexpr uint32_t kLargestHeaderBytes = 124;
constexpr uint32_t kMasksInHeaderFrom = 52;  // the 52-, 56-, 108- and 124-byte headers

// Windows CE's name for bit fields with a fourth (alpha) mask behind a 40-byte header.
constexpr DWORD kAlphaBitfields = 6;
// The 16- and 64-byte OS/2 headers reuse 3 for Huffman 1D and 4 for RLE24.
constexpr DWORD kOs2Huffman = 3;
constexpr DWORD kOs2Rle24 = 4;

// A run-length stream can claim any picture size in a few bytes (end of
// picture after one run); beyond this size it must hold at least 1/1024 of
// the pixel bytes, so a tiny file cannot make the program allocate gigabytes.
constexpr uint64_t kRleUnbackedBytes = uint64_t{16} << 20;
constexpr uint64_t kRleMaxExpansion = 1024;

uint16_t LoadLe16(const BYTE* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t LoadLe32(const BYTE* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool IsKnownHeaderSize(uint32_t bytes)
{
    switch (bytes) {
    case 12: case 16: case 40: case 52: case 56: case 64: case 108: case 124:
        return true;
    default:
        return false;
    }
}

bool IsOs2InfoHeader(uint32_t bytes)
{
    return bytes == 16 || bytes == 64;
}

enum class PixelCoding { kRaw, kBitfields, kRle8, kRle4 };

// What the source file says, after every field has been checked.
struct SourceBmp {
    uint32_t headerBytes = 0;
    int64_t width = 0;
    int64_t height = 0;  // negative: rows stored top-down
    int bitCount = 0;
    PixelCoding coding = PixelCoding::kRaw;
    DWORD masks[3] = {};
    LONG xPelsPerMeter = 0;
    LONG yPelsPerMeter = 0;
    DWORD clrImportant = 0;
    uint64_t pixelOffset = 0;
    uint64_t tableOffset = 0;
    uint32_t entryBytes = 4;  // RGBTRIPLE in a core-header file
    uint64_t entries = 0;
};

DWORD ClassifyCompression(DWORD compression, uint32_t headerBytes, PixelCoding& coding)
{
    if (IsOs2InfoHeader(headerBytes) && (compression == kOs2Huffman || compression == kOs2Rle24))
        return DIB_ERR_COMPRESSED;
    switch (compression) {
    case BI_RGB: coding = PixelCoding::kRaw; return DIB_OK;
    case BI_RLE8: coding = PixelCoding::kRle8; return DIB_OK;
    case BI_RLE4: coding = PixelCoding::kRle4; return DIB_OK;
    case BI_BITFIELDS:
    case kAlphaBitfields: coding = PixelCoding::kBitfields; return DIB_OK;
    default: return DIB_ERR_COMPRESSED;  // JPEG, PNG, CMYK forms and anything unknown
    }
}

bool BitCountFitsCoding(int bitCount, PixelCoding coding)
{
    switch (coding) {
    case PixelCoding::kRaw:
        return bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
               bitCount == 24 || bitCount == 32 || bitCount == 64;
    case PixelCoding::kBitfields: return bitCount == 16 || bitCount == 32;
    case PixelCoding::kRle8: return bitCount == 8;
    case PixelCoding::kRle4: return bitCount == 4;
    }
    return false;
}

// Header fields, masks and the colour table's place and length.
DWORD ParseSource(const std::vector<BYTE>& in, SourceBmp& source)
{
    const uint64_t size = in.size();
    if (size < kFileHeaderBytes)
        return DIB_ERR_FILE_IO;
    if (in[0] != 'B' || in[1] != 'M')
        return DIB_ERR_NOT_BMP;
    if (size < kFileHeaderBytes + 4)
        return DIB_ERR_FILE_IO;
    source.pixelOffset = LoadLe32(&in[10]);
    source.headerBytes = LoadLe32(&in[kFileHeaderBytes]);
    if (!IsKnownHeaderSize(source.headerBytes))
        return DIB_ERR_BAD_HEADER;
    if (kFileHeaderBytes + source.headerBytes > size)
        return DIB_ERR_FILE_IO;

    // Shorter headers are the longer ones cut off: missing fields read as 0.
    BYTE header[kLargestHeaderBytes] = {};
    std::memcpy(header, &in[kFileHeaderBytes], source.headerBytes);
    DWORD compression = BI_RGB;
    DWORD clrUsed = 0;
    if (source.headerBytes == kCoreHeaderBytes) {
        source.width = LoadLe16(header + 4);
        source.height = LoadLe16(header + 6);
        source.bitCount = LoadLe16(header + 10);
        source.entryBytes = sizeof(RGBTRIPLE);
    } else {
        source.width = static_cast<int32_t>(LoadLe32(header + 4));
        source.height = static_cast<int32_t>(LoadLe32(header + 8));
        source.bitCount = LoadLe16(header + 14);
        compression = LoadLe32(header + 16);
        source.xPelsPerMeter = static_cast<int32_t>(LoadLe32(header + 24));
        source.yPelsPerMeter = static_cast<int32_t>(LoadLe32(header + 28));
        clrUsed = LoadLe32(header + 32);
        source.clrImportant = LoadLe32(header + 36);
    }
    if (DWORD refused = ClassifyCompression(compression, source.headerBytes, source.coding))
        return refused;
    if (!BitCountFitsCoding(source.bitCount, source.coding))
        return DIB_ERR_BAD_HEADER;
    // A negative width, or a height whose rows cannot be counted in a LONG.
    if (source.width < 0 || source.height == INT32_MIN)
        return DIB_ERR_BAD_HEADER;

    source.tableOffset = kFileHeaderBytes + source.headerBytes;
    if (source.coding == PixelCoding::kBitfields) {
        const BYTE* masks = header + kInfoHeaderBytes;
        if (source.headerBytes < kMasksInHeaderFrom) {
            masks = in.data() + source.tableOffset;
            source.tableOffset += compression == kAlphaBitfields ? 4 * 4 : 3 * 4;
            if (source.tableOffset > size)
                return DIB_ERR_FILE_IO;
        }
        for (int i = 0; i < 3; ++i)
            source.masks[i] = LoadLe32(masks + 4 * i);
    }

    const uint64_t indexable = source.bitCount <= 8 ? uint64_t{1} << source.bitCount : 0;
    source.entries = clrUsed != 0 ? clrUsed : indexable;
    if (indexable != 0)
        source.entries = std::min(source.entries, indexable);  // more could never be indexed
    if (source.pixelOffset >= source.tableOffset)
        source.entries = std::min(source.entries, (source.pixelOffset - source.tableOffset) / source.entryBytes);
    if (indexable != 0 && source.entries == 0)
        return DIB_ERR_BAD_HEADER;  // indexed pixels without a single colour
    if (source.tableOffset + source.entries * source.entryBytes > size)
        return DIB_ERR_FILE_IO;
    return DIB_OK;
}

// Stored rows of the plain picture addressed in the order the source file stores them.
struct RowsInFileOrder {
    BYTE* bits;
    uint64_t stride;
    uint64_t count;
    bool topDown;

    BYTE* At(uint64_t fileRow) const { return bits + stride * (topDown ? count - 1 - fileRow : fileRow); }
};

// The pixel side of the two run-length forms; the stream walk is shared.
struct Rle8Pixels {
    static uint64_t AbsoluteRunBytes(uint64_t pixels) { return pixels; }
    static BYTE RunPixel(BYTE value, uint64_t) { return value; }
    static BYTE AbsolutePixel(const BYTE* data, uint64_t i) { return data[i]; }
    static void Put(BYTE* row, uint64_t x, BYTE index) { row[x] = index; }
};

struct Rle4Pixels {
    static uint64_t AbsoluteRunBytes(uint64_t pixels) { return (pixels + 1) / 2; }
    // A run alternates the two nibbles of its byte, high nibble first.
    static BYTE RunPixel(BYTE value, uint64_t i) { return i & 1 ? value & 0x0F : value >> 4; }
    static BYTE AbsolutePixel(const BYTE* data, uint64_t i) { return RunPixel(data[i / 2], i); }
    static void Put(BYTE* row, uint64_t x, BYTE index)
    {
        BYTE& pair = row[x / 2];
        pair = x & 1 ? static_cast<BYTE>((pair & 0xF0) | index) : static_cast<BYTE>((pair & 0x0F) | index << 4);
    }
};

constexpr BYTE kEndOfLine = 0;
constexpr BYTE kEndOfPicture = 1;
constexpr BYTE kDelta = 2;

// Expands a stream into rows that start as index 0. Writes stop at the row
// end; a position past the last row, an end-of-picture mark, or a stream
// that runs out ends the picture.
template <typename Pixels>
void ExpandRle(const BYTE* stream, uint64_t length, const RowsInFileOrder& rows, uint64_t width)
{
    uint64_t x = 0;
    uint64_t y = 0;
    uint64_t at = 0;
    auto pixelsInRow = [&](uint64_t count) { return x < width ? std::min(count, width - x) : 0; };
    while (y < rows.count && length - at >= 2) {
        const BYTE count = stream[at];
        const BYTE code = stream[at + 1];
        at += 2;
        if (count != 0) {
            BYTE* row = rows.At(y);
            for (uint64_t i = 0, n = pixelsInRow(count); i < n; ++i)
                Pixels::Put(row, x + i, Pixels::RunPixel(code, i));
            x += count;
        } else if (code == kEndOfLine) {
            x = 0;
            ++y;
        } else if (code == kEndOfPicture) {
            return;
        } else if (code == kDelta) {
            if (length - at < 2)
                return;
            x += stream[at];
            y += stream[at + 1];
            at += 2;
        } else {
            const uint64_t bytes = Pixels::AbsoluteRunBytes(code);
            if (length - at < bytes)
                return;
            BYTE* row = rows.At(y);
            for (uint64_t i = 0, n = pixelsInRow(code); i < n; ++i)
                Pixels::Put(row, x + i, Pixels::AbsolutePixel(stream + at, i));
            x += code;
            // Absolute runs keep the stream on 16-bit words; a pad byte the
            // file lost at its very end costs nothing.
            at += std::min(bytes + (bytes & 1), length - at);
        }
    }
}

bool ResizeOrRefuse(std::vector<BYTE>& bytes, uint64_t size)
{
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace

DWORD NormalizeBmp(const std::vector<BYTE>& in, std::vector<BYTE>& out)
{
    SourceBmp source;
    if (DWORD refused = ParseSource(in, source))
        return refused;

    const bool bitfields = source.coding == PixelCoding::kBitfields;
    const uint64_t stride = static_cast<uint64_t>(velmoro::RowStride(source.width, source.bitCount));
    const uint64_t rowCount = static_cast<uint64_t>(source.height < 0 ? -source.height : source.height);
    if (stride != 0 && rowCount > kMaxBlockBytes / stride)
        return DIB_ERR_NO_MEMORY;
    const uint64_t pixelBytes = stride * rowCount;
    const uint64_t tableBytes = 4 * source.entries + (bitfields ? kBitfieldMaskBytes : 0);
    const uint64_t fileBytes = kPlainHeadersBytes + tableBytes + pixelBytes;
    if (fileBytes > kMaxBlockBytes)
        return DIB_ERR_NO_MEMORY;  // the memory file that Load reads from counts in 32 bits
    if (source.pixelOffset > in.size())
        return DIB_ERR_FILE_IO;
    const uint64_t pixelBytesPresent = in.size() - source.pixelOffset;
    const bool runLength = source.coding == PixelCoding::kRle8 || source.coding == PixelCoding::kRle4;
    if (runLength) {
        if (pixelBytes > std::max(kRleUnbackedBytes, kRleMaxExpansion * pixelBytesPresent))
            return DIB_ERR_NO_MEMORY;
    } else if (pixelBytes > pixelBytesPresent) {
        return DIB_ERR_FILE_IO;
    }

    std::vector<BYTE> plain;
    if (!ResizeOrRefuse(plain, fileBytes))
        return DIB_ERR_NO_MEMORY;
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfSize = static_cast<DWORD>(fileBytes);
    fileHeader.bfOffBits = static_cast<DWORD>(kPlainHeadersBytes + tableBytes);
    std::memcpy(plain.data(), &fileHeader, kFileHeaderBytes);

    // The record counts a default-sized table as 0; any other length is spelled out.
    const uint64_t defaultEntries = static_cast<uint64_t>(velmoro::DefaultColorEntries(source.bitCount));
    BITMAPINFOHEADER header{};
    header.biSize = kInfoHeaderBytes;
    header.biWidth = static_cast<LONG>(source.width);
    header.biHeight = static_cast<LONG>(rowCount);
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(source.bitCount);
    header.biCompression = bitfields ? BI_BITFIELDS : BI_RGB;
    header.biSizeImage = static_cast<DWORD>(pixelBytes);
    header.biXPelsPerMeter = source.xPelsPerMeter;
    header.biYPelsPerMeter = source.yPelsPerMeter;
    header.biClrUsed = source.entries == defaultEntries ? 0 : static_cast<DWORD>(source.entries);
    header.biClrImportant = source.clrImportant;
    std::memcpy(plain.data() + kFileHeaderBytes, &header, kInfoHeaderBytes);

    BYTE* table = plain.data() + kPlainHeadersBytes;
    if (bitfields) {
        std::memcpy(table, source.masks, kBitfieldMaskBytes);
        table += kBitfieldMaskBytes;
    }
    const BYTE* sourceTable = in.data() + source.tableOffset;
    for (uint64_t i = 0; i < source.entries; ++i)
        std::memcpy(table + 4 * i, sourceTable + source.entryBytes * i, source.entryBytes);

    const RowsInFileOrder rows{plain.data() + fileHeader.bfOffBits, stride, rowCount, source.height < 0};
    const BYTE* pixels = in.data() + source.pixelOffset;
    if (source.coding == PixelCoding::kRle8) {
        ExpandRle<Rle8Pixels>(pixels, pixelBytesPresent, rows, static_cast<uint64_t>(source.width));
    } else if (source.coding == PixelCoding::kRle4) {
        ExpandRle<Rle4Pixels>(pixels, pixelBytesPresent, rows, static_cast<uint64_t>(source.width));
    } else if (stride != 0) {  // a zero width may claim two billion empty rows
        for (uint64_t y = 0; y < rowCount; ++y)
            std::memcpy(rows.At(y), pixels + stride * y, stride);
    }
    out.swap(plain);
    return DIB_OK;
}

DWORD LoadBmpTolerant(const std::string& path, CDib& image)
{
    std::vector<BYTE> plain;
    {
        CFile file;
        if (!file.Open(path.c_str(), CFile::modeRead, NULL))
            return DIB_ERR_OPEN;
        const uint64_t length = file.GetLength();
        std::vector<BYTE> bytes;
        if (length > kMaxBlockBytes || !ResizeOrRefuse(bytes, length))
            return DIB_ERR_NO_MEMORY;
        if (file.Read(bytes.data(), static_cast<UINT>(length)) < length)
            return DIB_ERR_FILE_IO;
        if (DWORD refused = NormalizeBmp(bytes, plain))
            return refused;
    }
    CMemFile memory(plain.data(), static_cast<UINT>(plain.size()));
    return image.Load(memory, 0);
}

}  // namespace velmoro_tool
