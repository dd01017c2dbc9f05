// SPDX-License-Identifier: MIT
// The BMP reader. Every field is hostile: sizes are computed in 64 bits and
// checked against the bytes present before anything is allocated.
#include "picture/picture_bmp.h"

#include "base/dib_layout.h"
#include "base/pixel_layouts.h"
#include "picture/picture_alpha.h"
#include "platform/gdi_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velmoro {
namespace {

constexpr uint32_t kFileHeaderBytes = sizeof(BITMAPFILEHEADER);
constexpr uint32_t kCoreHeaderBytes = sizeof(BITMAPCOREHEADER);
constexpr uint32_t kLargestHeaderBytes = 124;
constexpr uint32_t kMasksInHeaderFrom = 52;  // the 52-, 56-, 108- and 124-byte headers
constexpr uint32_t kAlphaMaskInHeaderFrom = 56;
static_assert(kBmpHeadersBytes == kFileHeaderBytes + kLargestHeaderBytes + 16, "room for every header and mask");

// Windows CE's name for bit fields with a fourth (alpha) mask behind a 40-byte header.
constexpr DWORD kAlphaBitfields = 6;
// The 16- and 64-byte OS/2 headers reuse 3 for Huffman 1D and 4 for RLE24.
constexpr DWORD kOs2Huffman = 3;
constexpr DWORD kOs2Rle24 = 4;

// A run-length stream can claim any picture size in a few bytes (end of
// picture after one run); beyond this size it must hold at least 1/1024 of
// the pixel bytes, so that a tiny file cannot make the reader allocate gigabytes.
constexpr uint64_t kRleUnbackedBytes = uint64_t{16} << 20;
constexpr uint64_t kRleMaxExpansion = 1024;

uint16_t LoadLe16(const BYTE* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t LoadLe32(const BYTE* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
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
    DWORD compression = BI_RGB;
    PixelCoding coding = PixelCoding::kRaw;
    DWORD masks[4] = {};  // red, green, blue, alpha (0: none)
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
DWORD ParseSource(const BYTE* data, uint64_t available, uint64_t fileSize, SourceBmp& source)
{
    if (available < kFileHeaderBytes)
        return DIB_ERR_FILE_IO;
    if (data[0] != 'B' || data[1] != 'M')
        return DIB_ERR_NOT_BMP;
    if (available < kFileHeaderBytes + 4)
        return DIB_ERR_FILE_IO;
    source.pixelOffset = LoadLe32(data + 10);
    source.headerBytes = LoadLe32(data + kFileHeaderBytes);
    if (!IsKnownHeaderSize(source.headerBytes))
        return DIB_ERR_BAD_HEADER;
    if (kFileHeaderBytes + source.headerBytes > available)
        return DIB_ERR_FILE_IO;

    // Shorter headers are the longer ones cut off: missing fields read as 0.
    BYTE header[kLargestHeaderBytes] = {};
    std::memcpy(header, data + kFileHeaderBytes, source.headerBytes);
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
        source.compression = LoadLe32(header + 16);
        source.xPelsPerMeter = static_cast<int32_t>(LoadLe32(header + 24));
        source.yPelsPerMeter = static_cast<int32_t>(LoadLe32(header + 28));
        clrUsed = LoadLe32(header + 32);
        source.clrImportant = LoadLe32(header + 36);
    }
    if (DWORD refused = ClassifyCompression(source.compression, source.headerBytes, source.coding))
        return refused;
    if (!BitCountFitsCoding(source.bitCount, source.coding))
        return DIB_ERR_BAD_HEADER;
    // A negative width, or a height whose rows cannot be counted in a LONG.
    if (source.width < 0 || source.height == INT32_MIN)
        return DIB_ERR_BAD_HEADER;

    source.tableOffset = kFileHeaderBytes + source.headerBytes;
    if (source.coding == PixelCoding::kBitfields) {
        const BYTE* masks = header + kInfoHeaderBytes;
        int count = source.headerBytes >= kAlphaMaskInHeaderFrom ? 4 : 3;
        if (source.headerBytes < kMasksInHeaderFrom) {
            count = source.compression == kAlphaBitfields ? 4 : 3;
            masks = data + source.tableOffset;
            source.tableOffset += 4 * count;
            if (source.tableOffset > available)
                return DIB_ERR_FILE_IO;
        }
        for (int i = 0; i < count; ++i)
            source.masks[i] = LoadLe32(masks + 4 * i);
    }

    const uint64_t indexable = source.bitCount <= 8 ? uint64_t{1} << source.bitCount : 0;
    source.entries = clrUsed != 0 ? clrUsed : indexable;
    if (indexable != 0)
        source.entries = std::min(source.entries, indexable);  // more could never be indexed
    else
        source.entries = 0;  // a table behind direct colours only suggests a palette
    if (source.pixelOffset >= source.tableOffset)
        source.entries = std::min(source.entries, (source.pixelOffset - source.tableOffset) / source.entryBytes);
    if (indexable != 0 && source.entries == 0)
        return DIB_ERR_BAD_HEADER;  // indexed pixels without a single colour
    if (source.tableOffset + source.entries * source.entryBytes > fileSize)
        return DIB_ERR_FILE_IO;
    return DIB_OK;
}

// The image record a source becomes.
struct TargetForm {
    int bitCount;
    DWORD compression;
    uint64_t entries;
};

TargetForm TargetOf(const SourceBmp& source, const AlphaRule& rule)
{
    if (source.bitCount <= 8)
        return TargetForm{8, BI_RGB, source.entries};
    if (source.bitCount == 16 && source.coding == PixelCoding::kRaw)
        return TargetForm{16, BI_RGB, 0};
    // Bit fields the operations take as they are, unless an alpha mask must be heeded.
    if (source.bitCount == 16 && (source.masks[3] == 0 || rule.KeepsColors())) {
        if (MasksEqual(source.masks, kMasks565))
            return TargetForm{16, BI_BITFIELDS, 0};
        if (MasksEqual(source.masks, kMasks555))
            return TargetForm{16, BI_RGB, 0};
    }
    return TargetForm{24, BI_RGB, 0};
}

bool HasAlpha(const SourceBmp& source)
{
    return source.masks[3] != 0 || source.bitCount == 64;
}

// One channel under a mask, widened or narrowed to 8 bits. Up to 8 bits the
// channel's bits repeat into the low bits (5 bits: v << 3 | v >> 2), so that
// its largest value is 255; wider channels, and masks with holes, rescale
// with rounding. A masked value never exceeds the mask shifted down, so the
// result never exceeds 255.
class MaskedChannel {
public:
    explicit MaskedChannel(DWORD mask)
        : m_mask(mask), m_shift(mask ? __builtin_ctz(mask) : 0), m_top(mask >> m_shift),
          m_bits(__builtin_popcount(mask)), m_repeats(m_bits <= 8 && (m_top & (m_top + 1)) == 0)
    {
    }
    BYTE From(uint32_t pixel) const
    {
        if (m_top == 0)
            return 0;
        const uint32_t value = (pixel & m_mask) >> m_shift;
        if (!m_repeats)
            return static_cast<BYTE>((uint64_t{value} * 255 + m_top / 2) / m_top);
        uint32_t widened = 0;
        for (int shift = 8 - m_bits; shift > -m_bits; shift -= m_bits)
            widened |= shift >= 0 ? value << shift : value >> -shift;
        return static_cast<BYTE>(widened);
    }

private:
    uint32_t m_mask;
    int m_shift;
    uint32_t m_top;
    int m_bits;
    bool m_repeats;
};

// Everything a row of stored pixels needs to become a row of the target.
struct RowContext {
    explicit RowContext(const SourceBmp& source, const AlphaRule& alphaRule)
        : red(source.masks[0]), green(source.masks[1]), blue(source.masks[2]), alpha(source.masks[3]),
          rule(alphaRule), bitCount(source.bitCount), bytesPerPixel(static_cast<uint64_t>(source.bitCount / 8))
    {
    }
    MaskedChannel red, green, blue, alpha;
    bool hasAlpha = false;
    const AlphaRule& rule;
    int bitCount;
    uint64_t bytesPerPixel;
    BYTE linearToSrgb[8193] = {};  // 64 bits: s2.13 linear light, 0 to 1.0
};

typedef void (*RowDecoder)(const BYTE* source, BYTE* target, uint64_t width, const RowContext& context);

void IndexRowToBytes(const BYTE* source, BYTE* target, uint64_t width, const RowContext& context)
{
    gdi::UnpackIndices(source, context.bitCount, 0, static_cast<int64_t>(width), target);
}

void CopyPixelRow(const BYTE* source, BYTE* target, uint64_t width, const RowContext& context)
{
    std::memcpy(target, source, width * context.bytesPerPixel);
}

void MaskedRowToBgr(const BYTE* source, BYTE* target, uint64_t width, const RowContext& context)
{
    for (uint64_t x = 0; x < width; ++x, source += context.bytesPerPixel, target += 3) {
        const uint32_t pixel = context.bytesPerPixel == 2 ? LoadLe16(source) : LoadLe32(source);
        target[0] = context.blue.From(pixel);
        target[1] = context.green.From(pixel);
        target[2] = context.red.From(pixel);
        if (context.hasAlpha)
            context.rule.Settle(target, context.alpha.From(pixel));
    }
}

// Blue, green, red and alpha in 16-bit s2.13 fixed point: 8192 is full light.
void Linear64RowToBgr(const BYTE* source, BYTE* target, uint64_t width, const RowContext& context)
{
    auto clamped = [](const BYTE* p) {
        const int value = static_cast<int16_t>(LoadLe16(p));
        return std::min(std::max(value, 0), 8192);
    };
    for (uint64_t x = 0; x < width; ++x, source += 8, target += 3) {
        for (int i = 0; i < 3; ++i)
            target[i] = context.linearToSrgb[clamped(source + 2 * i)];
        context.rule.Settle(target, static_cast<unsigned>((clamped(source + 6) * 255 + 4096) / 8192));
    }
}

void FillLinearToSrgb(BYTE (&table)[8193])
{
    for (int i = 0; i <= 8192; ++i) {
        const double linear = i / 8192.0;
        const double encoded = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
        table[i] = static_cast<BYTE>(std::lround(std::min(encoded, 1.0) * 255));
    }
}

RowDecoder DecoderFor(const SourceBmp& source, const TargetForm& target)
{
    switch (source.bitCount) {
    case 1:
    case 2:
    case 4:
    case 8: return IndexRowToBytes;
    case 64: return Linear64RowToBgr;
    default: return target.bitCount == source.bitCount ? CopyPixelRow : MaskedRowToBgr;
    }
}

// Target rows addressed in the order the file stores them.
struct RowsInFileOrder {
    const PictureBlocks& picture;
    bool topDown;

    BYTE* At(uint64_t fileRow) const { return picture.Row(topDown ? fileRow : picture.Height() - 1 - fileRow); }
};

constexpr BYTE kEndOfLine = 0;
constexpr BYTE kEndOfPicture = 1;
constexpr BYTE kDelta = 2;

// How the two run-length forms pack their pixels; the stream walk is shared.
struct Rle8Pixels {
    static uint64_t AbsoluteRunBytes(uint64_t pixels) { return pixels; }
    static BYTE RunPixel(BYTE value, uint64_t) { return value; }
    static BYTE AbsolutePixel(const BYTE* data, uint64_t i) { return data[i]; }
};

struct Rle4Pixels {
    static uint64_t AbsoluteRunBytes(uint64_t pixels) { return (pixels + 1) / 2; }
    // A run alternates the two nibbles of its byte, high nibble first.
    static BYTE RunPixel(BYTE value, uint64_t i) { return i & 1 ? value & 0x0F : value >> 4; }
    static BYTE AbsolutePixel(const BYTE* data, uint64_t i) { return RunPixel(data[i / 2], i); }
};

// Expands a stream into 8-bit rows that start as index 0. Writes stop at the
// row end; a position past the last row, an end-of-picture mark, or a stream
// that runs out ends the picture.
template <typename Pixels>
void ExpandRle(const BYTE* stream, uint64_t length, const RowsInFileOrder& rows)
{
    const uint64_t width = rows.picture.Width();
    uint64_t x = 0;
    uint64_t y = 0;
    uint64_t at = 0;
    auto pixelsInRow = [&](uint64_t count) { return x < width ? std::min(count, width - x) : 0; };
    while (y < rows.picture.Height() && length - at >= 2) {
        const BYTE count = stream[at];
        const BYTE code = stream[at + 1];
        at += 2;
        if (count != 0) {
            BYTE* row = rows.At(y);
            for (uint64_t i = 0, n = pixelsInRow(count); i < n; ++i)
                row[x + i] = Pixels::RunPixel(code, i);
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
                row[x + i] = Pixels::AbsolutePixel(stream + at, i);
            x += code;
            // Absolute runs keep the stream on 16-bit words; a pad byte the
            // file lost at its very end costs nothing.
            at += std::min(bytes + (bytes & 1), length - at);
        }
    }
}

void CopyColorTable(const SourceBmp& source, const BYTE* data, RGBQUAD* table)
{
    const BYTE* entry = data + source.tableOffset;
    for (uint64_t i = 0; i < source.entries; ++i, entry += source.entryBytes) {
        table[i] = RGBQUAD{entry[0], entry[1], entry[2], 0};
        if (source.entryBytes == 4)
            table[i].rgbReserved = entry[3];  // kept as Load keeps it
    }
}

}  // namespace

DWORD ReadBmpInfo(const BYTE* data, uint64_t available, uint64_t fileSize, PictureInfo& info)
{
    SourceBmp source;
    if (DWORD refused = ParseSource(data, available, fileSize, source))
        return refused;
    const TargetForm target = TargetOf(source, AlphaRule(DefaultPictureReadOptions()));
    info = PictureInfo{};
    info.format = PICTURE_FORMAT_BMP;
    info.width = static_cast<int>(source.width);
    info.height = static_cast<int>(source.height < 0 ? -source.height : source.height);
    info.bitCount = source.bitCount;
    info.hasAlpha = HasAlpha(source);
    info.channels = source.bitCount <= 8 ? 1 : info.hasAlpha ? 4 : 3;
    info.topDown = source.height < 0;
    info.compression = source.compression;
    info.imageBitCount = target.bitCount;
    info.imageCompression = target.compression;
    info.imageColorEntries = static_cast<int>(target.entries);
    return DIB_OK;
}

DWORD ReadBmp(const BYTE* data, uint64_t size, const PictureReadOptions& options, PictureBlocks& picture)
{
    SourceBmp source;
    if (DWORD refused = ParseSource(data, size, size, source))
        return refused;
    const AlphaRule rule(options);
    const TargetForm target = TargetOf(source, rule);
    const uint64_t rowCount = static_cast<uint64_t>(source.height < 0 ? -source.height : source.height);
    const uint64_t width = static_cast<uint64_t>(source.width);
    const uint64_t sourceStride = static_cast<uint64_t>(RowStride(source.width, source.bitCount));
    if (sourceStride != 0 && rowCount > kMaxBlockBytes / sourceStride)
        return DIB_ERR_NO_MEMORY;
    const uint64_t sourceBytes = sourceStride * rowCount;
    if (source.pixelOffset > size)
        return DIB_ERR_FILE_IO;
    const uint64_t pixelBytesPresent = size - source.pixelOffset;
    const bool runLength = source.coding == PixelCoding::kRle8 || source.coding == PixelCoding::kRle4;
    if (runLength) {
        // Counted in the 8-bit rows the stream is expanded into.
        const uint64_t expandedBytes = static_cast<uint64_t>(RowStride(source.width, 8)) * rowCount;
        if (expandedBytes > std::max(kRleUnbackedBytes, kRleMaxExpansion * pixelBytesPresent))
            return DIB_ERR_NO_MEMORY;
    } else if (sourceBytes > pixelBytesPresent) {
        return DIB_ERR_FILE_IO;
    }

    PictureBlocks made;
    if (DWORD refused = made.Make(width, rowCount, target.bitCount, target.compression, target.entries))
        return refused;
    BITMAPINFOHEADER& header = made.Header();
    header.biXPelsPerMeter = source.xPelsPerMeter;
    header.biYPelsPerMeter = source.yPelsPerMeter;
    header.biClrImportant = target.entries != 0 ? source.clrImportant : 0;
    CopyColorTable(source, data, made.ColorTable());

    const RowsInFileOrder rows{made, source.height < 0};
    const BYTE* pixels = data + source.pixelOffset;
    if (runLength) {
        std::memset(made.Bits(), 0, made.PixelBytes());
        if (source.coding == PixelCoding::kRle8)
            ExpandRle<Rle8Pixels>(pixels, pixelBytesPresent, rows);
        else
            ExpandRle<Rle4Pixels>(pixels, pixelBytesPresent, rows);
    } else if (width != 0) {  // a zero width may claim two billion empty rows
        RowContext context(source, rule);
        context.hasAlpha = source.masks[3] != 0 && !rule.KeepsColors();
        if (source.coding == PixelCoding::kRaw && source.bitCount == 32) {
            context.red = MaskedChannel(kMasks888[0]);  // blue, green, red and a byte Windows leaves unused
            context.green = MaskedChannel(kMasks888[1]);
            context.blue = MaskedChannel(kMasks888[2]);
        }
        if (source.bitCount == 64)
            FillLinearToSrgb(context.linearToSrgb);
        const RowDecoder decode = DecoderFor(source, target);
        for (uint64_t y = 0; y < rowCount; ++y)
            decode(pixels + sourceStride * y, rows.At(y), width, context);
        made.ClearPadding();
    }
    picture = std::move(made);
    return DIB_OK;
}

}  // namespace velmoro
