// SPDX-License-Identifier: MIT
// libpng reports errors by a jump back to the setjmp of the call that started
// the work. Everything that must be released lives in a session object
// outside the jumping frames, so a jump skips no destructor.
#include "picture/picture_png.h"

#include <velmoro/platform/file.h>

#include "base/dib_layout.h"
#include "base/pixel_layouts.h"
#include "picture/picture_alpha.h"
#include "picture/picture_rows.h"
#include "platform/gdi_pixels.h"
#include "platform/file_support.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstring>

#include <png.h>

namespace velmoro {
namespace {

// Deflate expands at most about 1032 to 1: compressed data shorter than the
// picture's rows over that ratio cannot hold them, however it claims to.
constexpr uint64_t kDeflateMaxExpansion = 1032;
constexpr uint64_t kDeflateSlack = 64 * 1024;

// Chunks that play no part in the picture; libpng skips them unread rather
// than decompress text and profiles nobody asked for.
constexpr png_byte kIgnoredChunks[] = "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0"
                                      "sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";
constexpr int kIgnoredChunkCount = 17;
static_assert(sizeof kIgnoredChunks == 5 * kIgnoredChunkCount, "each name is four letters and a NUL");

// What the callbacks of a read or a write share.
struct PngSession {
    PngSession() = default;
    PngSession(const PngSession&) = delete;
    PngSession& operator=(const PngSession&) = delete;

    png_structp png = nullptr;
    png_infop info = nullptr;
    CFile* file = nullptr;
    CFileException* fileError = nullptr;  // thrown by the file, held over the jump
    bool outOfMemory = false;
};

struct ReadSession : PngSession {
    ~ReadSession() { png_destroy_read_struct(&png, &info, nullptr); }

    PictureBlocks picture;
    BlockPtr<BYTE> scratch;  // rows of blue, green, red, alpha for the alpha rule
};

struct WriteSession : PngSession {
    ~WriteSession() { png_destroy_write_struct(&png, &info); }

    BgrRowReader reader;  // for depths PNG has no form of its own for
    BlockPtr<BYTE> row;
};

PngSession& SessionOf(png_structp png)
{
    return *static_cast<PngSession*>(png_get_error_ptr(png));
}

[[noreturn]] void JumpOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Warnings are for damage libpng has already mended or chunks it discarded.
void IgnoreWarning(png_structp, png_const_charp) {}

png_voidp Allocate(png_structp png, png_alloc_size_t size)
{
    void* block = AllocateBlock(size);
    if (!block && png)
        SessionOf(png).outOfMemory = true;
    return block;
}

void Release(png_structp, png_voidp block)
{
    FreeBlock(block);
}

void ReadFromFile(png_structp png, png_bytep out, size_t length)
{
    PngSession& session = SessionOf(png);
    UINT got = 0;
    if (length <= UINT_MAX) {
        try {
            got = session.file->Read(out, static_cast<UINT>(length));
        } catch (CFileException* error) {
            session.fileError = error;
        }
    }
    if (got != length)
        png_error(png, "cut short");
}

// Runs `work` (returning a result code) with the jump target set; a jump
// gives the code for what went wrong. `work` keeps no object that needs
// destroying in its own frame.
template <typename Work>
DWORD RunGuarded(PngSession& session, DWORD failure, Work&& work)
{
    if (setjmp(png_jmpbuf(session.png)))
        return session.outOfMemory ? DIB_ERR_NO_MEMORY : failure;
    return work();
}

void WriteToFile(png_structp png, png_bytep data, size_t length)
{
    PngSession& session = SessionOf(png);
    bool written = false;
    if (length <= UINT_MAX) {
        try {
            session.file->Write(data, static_cast<UINT>(length));
            written = true;
        } catch (CFileException* error) {
            session.fileError = error;
        }
    }
    if (!written)
        png_error(png, "write failed");
}

void FlushNothing(png_structp) {}

DWORD StartSession(ReadSession& session, CFile& file)
{
    session.file = &file;
    session.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &session, JumpOnError, IgnoreWarning, &session,
                                           Allocate, Release);
    if (!session.png)
        return DIB_ERR_NO_MEMORY;
    session.info = png_create_info_struct(session.png);
    if (!session.info)
        return DIB_ERR_NO_MEMORY;
    png_set_read_fn(session.png, &session, ReadFromFile);
    return DIB_OK;
}

// Inside the guard: libpng may fail it for memory.
void ReadHeaderChunks(ReadSession& session)
{
    png_set_keep_unknown_chunks(session.png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks, kIgnoredChunkCount);
    png_read_info(session.png, session.info);
}

// The file object's exception, if it threw one, goes on to the caller.
DWORD Finish(PngSession& session, DWORD result)
{
    if (CFileException* error = session.fileError) {
        session.fileError = nullptr;
        throw error;
    }
    return result;
}

struct Header {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    bool hasTransparency = false;  // a tRNS chunk
    int paletteEntries = 0;
    png_colorp palette = nullptr;
};

Header ReadHeader(png_structp png, png_infop info)
{
    Header header;
    png_get_IHDR(png, info, &header.width, &header.height, &header.bitDepth, &header.colorType, &header.interlace,
                 nullptr, nullptr);
    header.hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (header.colorType == PNG_COLOR_TYPE_PALETTE)
        png_get_PLTE(png, info, &header.palette, &header.paletteEntries);
    return header;
}

int ChannelsOf(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // palette indices
    }
}

// How the picture is read into the record.
struct Plan {
    int bitCount;         // 8 or 24
    unsigned entries;     // 8 bits: palette entries or grey levels
    bool indexed;         // 8 bits with a table; transparency settles its entries
    bool alphaPerPixel;   // read as blue, green, red, alpha and settled pixel by pixel
};

Plan PlanFor(const Header& header, const AlphaRule& rule)
{
    const bool alphaChannel = header.colorType & PNG_COLOR_MASK_ALPHA;
    if (header.colorType == PNG_COLOR_TYPE_PALETTE)
        return Plan{8, static_cast<unsigned>(header.paletteEntries), true, false};
    // A grey level's transparency is one table entry; at 16 bits it is one of
    // 256 values that fall on the same entry, so it needs the pixels.
    const bool greyKeyInTable = header.bitDepth <= 8 || !header.hasTransparency;
    if (header.colorType == PNG_COLOR_TYPE_GRAY && (greyKeyInTable || rule.KeepsColors()))
        return Plan{8, header.bitDepth < 8 ? 1u << header.bitDepth : 256u, true, false};
    if (header.colorType == PNG_COLOR_TYPE_GRAY_ALPHA && rule.KeepsColors())
        return Plan{8, 256, true, false};
    const bool alpha = (alphaChannel || header.hasTransparency) && !rule.KeepsColors();
    return Plan{24, 0, false, alpha};
}

// The colour table of an indexed plan, with transparency settled per entry.
void WriteTable(png_structp png, png_infop info, const Header& header, const AlphaRule& rule, RGBQUAD* table,
                unsigned entries)
{
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    png_color_16p greyKey = nullptr;
    if (header.hasTransparency)
        png_get_tRNS(png, info, &alphas, &alphaCount, &greyKey);
    if (header.colorType == PNG_COLOR_TYPE_PALETTE) {
        for (unsigned i = 0; i < entries; ++i)
            table[i] = RGBQUAD{header.palette[i].blue, header.palette[i].green, header.palette[i].red, 0};
    } else {
        WriteGreyTable(table, entries);
    }
    if (!header.hasTransparency || rule.KeepsColors())
        return;
    for (unsigned i = 0; i < entries; ++i) {
        unsigned alpha = 255;
        if (header.colorType == PNG_COLOR_TYPE_PALETTE)
            alpha = static_cast<int>(i) < alphaCount ? alphas[i] : 255;
        else
            alpha = greyKey && greyKey->gray == i ? 0 : 255;
        rule.Settle(&table[i].rgbBlue, alpha);
    }
}

// The transformations that make libpng deliver rows in the plan's form;
// returns the bytes it will deliver per row.
uint64_t SetTransforms(png_structp png, const Header& header, const Plan& plan)
{
    if (header.bitDepth == 16)
        png_set_scale_16(png);  // rounds, as ImageMagick does when it writes 8-bit files
    if (plan.indexed) {
        if (header.bitDepth < 8)
            png_set_packing(png);  // one index or grey level per byte, not scaled
        if (header.colorType & PNG_COLOR_MASK_ALPHA)
            png_set_strip_alpha(png);
        return 1;
    }
    if (header.colorType == PNG_COLOR_TYPE_GRAY || header.colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if (!plan.alphaPerPixel) {
        png_set_strip_alpha(png);
        return 3;
    }
    if (header.hasTransparency)
        png_set_tRNS_to_alpha(png);  // the plan reads pixel by pixel only where there is alpha
    return 4;
}

DWORD DecodeRows(ReadSession& session, const Plan& plan, uint64_t outputBytes, const AlphaRule& rule)
{
    png_structp png = session.png;
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, session.info);
    const PictureBlocks& picture = session.picture;
    const uint64_t width = picture.Width();
    if (png_get_rowbytes(png, session.info) != outputBytes * width)
        return DIB_ERR_FILE_IO;  // libpng would deliver another form than planned
    // Passes of an interlaced picture fill in every row again and again: the
    // rows keep what earlier passes left, and the alpha rule waits for the last.
    const bool wholeScratch = passes > 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (uint64_t y = 0; y < picture.Height(); ++y) {
            if (!plan.alphaPerPixel) {
                png_read_row(png, picture.Row(y), nullptr);
                continue;
            }
            BYTE* bgra = session.scratch.get() + (wholeScratch ? y * 4 * width : 0);
            png_read_row(png, bgra, nullptr);
            if (pass == passes - 1)
                BgraRowToBgr(bgra, picture.Row(y), width, rule);
        }
    }
    picture.ClearPadding();
    png_read_end(png, nullptr);
    return DIB_OK;
}

}  // namespace

DWORD ReadPng(CFile& file, const PictureReadOptions& options, PictureBlocks& picture)
{
    ReadSession session;
    if (DWORD failed = StartSession(session, file))
        return failed;
    const uint64_t available = BytesLeft(file);
    const AlphaRule rule(options);
    const DWORD result = RunGuarded(session, DIB_ERR_FILE_IO, [&]() -> DWORD {
        ReadHeaderChunks(session);
        const Header header = ReadHeader(session.png, session.info);
        const uint64_t storedRowBytes =
            (uint64_t{header.width} * ChannelsOf(header.colorType) * header.bitDepth + 7) / 8;
        if (storedRowBytes * header.height > kDeflateMaxExpansion * available + kDeflateSlack)
            return DIB_ERR_FILE_IO;
        const Plan plan = PlanFor(header, rule);
        if (DWORD refused = session.picture.Make(header.width, header.height, plan.bitCount, BI_RGB, plan.entries))
            return refused;
        if (plan.indexed)
            WriteTable(session.png, session.info, header, rule, session.picture.ColorTable(), plan.entries);
        const uint64_t outputBytes = SetTransforms(session.png, header, plan);
        if (plan.alphaPerPixel) {
            const uint64_t rows = header.interlace != PNG_INTERLACE_NONE ? header.height : 1;
            session.scratch = MakeBlock(4 * uint64_t{header.width} * rows);
            if (!session.scratch)
                return DIB_ERR_NO_MEMORY;
        }
        return DecodeRows(session, plan, outputBytes, rule);
    });
    if (result == DIB_OK)
        picture = std::move(session.picture);
    return Finish(session, result);
}

DWORD ReadPngInfo(CFile& file, PictureInfo& info)
{
    ReadSession session;
    if (DWORD failed = StartSession(session, file))
        return failed;
    PictureInfo read{};
    const DWORD result = RunGuarded(session, DIB_ERR_FILE_IO, [&]() -> DWORD {
        ReadHeaderChunks(session);
        const Header header = ReadHeader(session.png, session.info);
        const Plan plan = PlanFor(header, AlphaRule(DefaultPictureReadOptions()));
        read.format = PICTURE_FORMAT_PNG;
        read.width = static_cast<int>(header.width);
        read.height = static_cast<int>(header.height);
        read.channels = ChannelsOf(header.colorType);
        read.bitCount = read.channels * header.bitDepth;
        read.hasAlpha = (header.colorType & PNG_COLOR_MASK_ALPHA) || header.hasTransparency;
        read.imageBitCount = plan.bitCount;
        read.imageCompression = BI_RGB;
        read.imageColorEntries = static_cast<int>(plan.entries);
        return DIB_OK;
    });
    if (result == DIB_OK)
        info = read;
    return Finish(session, result);
}

}  // namespace velmoro

namespace velmoro {
namespace {

// The highest index any pixel of a 1, 2, 4 or 8-bit image holds.
unsigned HighestIndex(const CDib& image)
{
    const BITMAPINFOHEADER& header = image.GetBmpInfoAddress()->bmiHeader;
    const int bits = header.biBitCount;
    const int64_t stride = RowStride(header);
    const unsigned largest = (1u << bits) - 1;
    unsigned highest = 0;
    BYTE indices[256];
    for (int64_t y = 0; y < header.biHeight && highest < largest; ++y) {
        const BYTE* row = StoredRow(image.GetBmpBitsAddress(), stride, y);
        for (int64_t x = 0; x < header.biWidth; x += sizeof indices) {
            const int64_t count = std::min<int64_t>(sizeof indices, header.biWidth - x);
            gdi::UnpackIndices(row, bits, x, count, indices);
            highest = std::max<unsigned>(highest, *std::max_element(indices, indices + count));
        }
    }
    return highest;
}

// The palette of an indexed image: its colour entries, then black up to the
// highest index a pixel holds (the library reads such pixels as black).
struct PngPalette {
    png_color colors[256];
    png_byte alphas[256];
    int count = 0;
    int alphaCount = 0;  // 0: no tRNS chunk
};

void FillPalette(const CDib& image, const PictureWriteOptions& options, PngPalette& palette)
{
    const int bits = image.GetBitCount();
    const int entries = std::min(image.GetNumColorEntry(), 1 << bits);
    palette.count = std::max(entries, static_cast<int>(HighestIndex(image)) + 1);
    const RGBQUAD* table = ColorEntries(image.GetBmpInfoAddress());
    for (int i = 0; i < palette.count; ++i) {
        const RGBQUAD entry = i < entries ? table[i] : RGBQUAD{};
        palette.colors[i] = png_color{entry.rgbRed, entry.rgbGreen, entry.rgbBlue};
        const bool transparent = options.alpha == PICTURE_ALPHA_KEY && EntryColor(entry) == (options.keyColor & 0xFFFFFF);
        palette.alphas[i] = transparent ? 0 : 255;
        if (transparent)
            palette.alphaCount = i + 1;  // opaque entries past the last transparent one go unsaid
    }
}

// The key colour as the picture's pixels hold it: a 16-bit image's key loses
// its low bits the way its pixels did.
png_color_16 KeyAsStored(const CDib& image, COLORREF key)
{
    if (image.GetBitCount() == 16) {
        const bool is565 = IsHeader565(image.GetBmpInfoAddress()->bmiHeader);
        const Bgr stored = ExpandPixel16(PackColor16(key, is565), is565);
        return png_color_16{0, stored.red, stored.green, stored.blue, 0};
    }
    return png_color_16{0, GetRValue(key), GetGValue(key), GetBValue(key), 0};
}

}  // namespace

DWORD WritePng(const CDib& image, const PictureWriteOptions& options, CFile& out)
{
    const BITMAPINFOHEADER& header = image.GetBmpInfoAddress()->bmiHeader;
    if (header.biWidth <= 0 || header.biHeight <= 0)
        return DIB_ERR_EMPTY;  // a PNG has at least one pixel, and its rows run top-down
    const int bits = header.biBitCount;
    const bool indexed = (bits == 1 || bits == 2 || bits == 4 || bits == 8) && header.biCompression == BI_RGB;
    const bool bgr24 = bits == 24 && (header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS);
    const uint64_t width = static_cast<uint64_t>(header.biWidth);
    const uint64_t height = static_cast<uint64_t>(header.biHeight);
    const uint64_t stride = static_cast<uint64_t>(RowStride(header));

    WriteSession session;
    session.file = &out;
    if (!indexed && !bgr24) {
        if (DWORD refused = session.reader.Open(image))
            return refused;
        session.row = MakeBlock(3 * width);
        if (!session.row)
            return DIB_ERR_NO_MEMORY;
    }
    PngPalette palette;
    if (indexed)
        FillPalette(image, options, palette);
    png_color_16 key = KeyAsStored(image, options.keyColor);
    session.png = png_create_write_struct_2(PNG_LIBPNG_VER_STRING, &session, JumpOnError, IgnoreWarning, &session,
                                            Allocate, Release);
    if (!session.png || !(session.info = png_create_info_struct(session.png)))
        return DIB_ERR_NO_MEMORY;
    png_set_write_fn(session.png, &session, WriteToFile, FlushNothing);

    const DWORD result = RunGuarded(session, DIB_ERR_WRITE, [&]() -> DWORD {
        png_structp png = session.png;
        png_set_IHDR(png, session.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                     indexed ? bits : 8, indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (indexed) {
            png_set_PLTE(png, session.info, palette.colors, palette.count);
            if (palette.alphaCount != 0)
                png_set_tRNS(png, session.info, palette.alphas, palette.alphaCount, nullptr);
        } else if (options.alpha == PICTURE_ALPHA_KEY) {
            png_set_tRNS(png, session.info, nullptr, 0, &key);
        }
        png_set_compression_level(png, options.pngCompression);
        png_write_info(png, session.info);
        if (!indexed)
            png_set_bgr(png);  // image rows and widened rows alike
        for (uint64_t y = 0; y < height; ++y) {
            BYTE* row = session.row.get();
            if (row)
                session.reader.Read(y, row);
            else
                row = PictureRow(const_cast<BYTE*>(image.GetBmpBitsAddress()), stride, height, y);  // libpng only reads it
            png_write_row(png, row);
        }
        png_write_end(png, nullptr);
        return DIB_OK;
    });
    if (CFileException* error = session.fileError) {
        session.fileError = nullptr;
        error->Delete();
    }
    return result;
}

}  // namespace velmoro
