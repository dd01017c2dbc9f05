// libpng reports errors by a jump back to the setjmp of the call that started
// the work. Everything that must be released lives in a session object
// outside the jumping frames, so a jump skips no destructor.
#include "picture/picture_png.h"

#include <velmoro/platform/file.h>

#include "core/dib_layout.h"
#include "picture/picture_alpha.h"

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

struct ReadSession {
    ReadSession() = default;
    ~ReadSession() { png_destroy_read_struct(&png, &info, nullptr); }
    ReadSession(const ReadSession&) = delete;
    ReadSession& operator=(const ReadSession&) = delete;

    png_structp png = nullptr;
    png_infop info = nullptr;
    CFile* file = nullptr;
    CFileException* fileError = nullptr;  // thrown by the file, held over the jump
    bool outOfMemory = false;
    PictureBlocks picture;
    BlockPtr<BYTE> scratch;  // rows of blue, green, red, alpha for the alpha rule
};

ReadSession& SessionOf(png_structp png)
{
    return *static_cast<ReadSession*>(png_get_error_ptr(png));
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
    ReadSession& session = SessionOf(png);
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
DWORD RunGuarded(ReadSession& session, Work&& work)
{
    if (setjmp(png_jmpbuf(session.png)))
        return session.outOfMemory ? DIB_ERR_NO_MEMORY : DIB_ERR_FILE_IO;
    return work();
}

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
    png_set_keep_unknown_chunks(session.png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks, kIgnoredChunkCount);
    return DIB_OK;
}

// The file object's exception, if it threw one, goes on to the caller.
DWORD Finish(ReadSession& session, DWORD result)
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
        png_set_scale_16(png);  // rounds, as ImageMagick reduces depth
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
    const uint64_t available = file.GetLength() - std::min(file.GetLength(), file.GetPosition());
    const AlphaRule rule(options);
    const DWORD result = RunGuarded(session, [&]() -> DWORD {
        png_read_info(session.png, session.info);
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
    const DWORD result = RunGuarded(session, [&]() -> DWORD {
        png_read_info(session.png, session.info);
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
