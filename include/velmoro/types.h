// SPDX-License-Identifier: MIT
/// @file
/// Windows-width integer types, the bitmap structures as stored in files and
/// memory, and the colour macros.
///
/// Colours travel as COLORREF values 0x00BBGGRR (RGB() builds one); the
/// structures have the byte layout of the BMP format, so a file's headers can be
/// read straight into them.
#ifndef VELMORO_TYPES_H
#define VELMORO_TYPES_H

#include <cstddef>
#include <cstdint>

/// Marks a name the shared library exports; empty for the library's users.
#if defined(VELMORO_BUILDING)
#define VELMORO_API __attribute__((visibility("default")))
#else
#define VELMORO_API
#endif

typedef uint8_t BYTE;          ///< An unsigned 8-bit value.
typedef uint16_t WORD;         ///< An unsigned 16-bit value.
typedef uint32_t DWORD;        ///< An unsigned 32-bit value; also every result code.
typedef int32_t LONG;          ///< A signed 32-bit value.
typedef uint32_t UINT;         ///< An unsigned 32-bit value.
typedef int BOOL;              ///< A truth value: 0 is false, any other value true.
typedef uint32_t COLORREF;     ///< A colour, 0x00BBGGRR: red in the low byte.

#ifndef TRUE
#define TRUE 1  ///< The BOOL value for true.
#endif
#ifndef FALSE
#define FALSE 0  ///< The BOOL value for false.
#endif
#ifndef NULL
#define NULL nullptr  ///< The null pointer, where no system header has defined it.
#endif

#define BI_RGB 0        ///< Uncompressed pixels; 16-bit pixels are 5-5-5.
#define BI_RLE8 1       ///< Run-length encoded 8-bit pixels (refused by CDib::Load).
#define BI_RLE4 2       ///< Run-length encoded 4-bit pixels (refused by CDib::Load).
#define BI_BITFIELDS 3  ///< Uncompressed pixels whose channels three masks behind the header locate.

#pragma pack(push, 1)
/// The 14 bytes that open a BMP file.
struct BITMAPFILEHEADER {
    WORD bfType;       ///< "BM" (0x4D42 read little-endian).
    DWORD bfSize;      ///< The file's size in bytes, as written; readers do not trust it.
    WORD bfReserved1;  ///< 0.
    WORD bfReserved2;  ///< 0.
    DWORD bfOffBits;   ///< Offset of the pixel rows from the start of the file.
};
#pragma pack(pop)

/// The 40-byte header every image record starts with.
struct BITMAPINFOHEADER {
    DWORD biSize;          ///< 40, the size of this header.
    LONG biWidth;          ///< Width in pixels.
    LONG biHeight;         ///< Height in pixels; rows are stored bottom-up (a negative height, top-down, is refused).
    WORD biPlanes;         ///< 1.
    WORD biBitCount;       ///< Bits per pixel; images are made at 1, 4, 8, 16 or 24, edited at 8, 16 or 24.
    DWORD biCompression;   ///< BI_RGB or BI_BITFIELDS (BI_RLE8 and BI_RLE4 are not read).
    DWORD biSizeImage;     ///< Bytes of the pixel block; may be 0, the size then follows from width, height and depth.
    LONG biXPelsPerMeter;  ///< Horizontal resolution, carried along unchanged.
    LONG biYPelsPerMeter;  ///< Vertical resolution, carried along unchanged.
    DWORD biClrUsed;       ///< Colour-table entries; 0 means the depth's full table (2, 16 or 256).
    DWORD biClrImportant;  ///< Entries that matter for display; carried along unchanged.
};

/// The 12-byte header of old (OS/2-style) BMP files, widened to a
/// BITMAPINFOHEADER when read; its colour table has 3-byte entries.
struct BITMAPCOREHEADER {
    DWORD bcSize;      ///< 12, the size of this header.
    WORD bcWidth;      ///< Width in pixels.
    WORD bcHeight;     ///< Height in pixels, rows bottom-up.
    WORD bcPlanes;     ///< 1.
    WORD bcBitCount;   ///< Bits per pixel.
};

/// One colour-table entry, blue first as stored.
struct RGBQUAD {
    BYTE rgbBlue;      ///< Blue, 0 to 255.
    BYTE rgbGreen;     ///< Green, 0 to 255.
    BYTE rgbRed;       ///< Red, 0 to 255.
    BYTE rgbReserved;  ///< 0; not part of the colour.
};

/// One 24-bit pixel, or one entry of a core header's colour table, blue first.
struct RGBTRIPLE {
    BYTE rgbtBlue;   ///< Blue, 0 to 255.
    BYTE rgbtGreen;  ///< Green, 0 to 255.
    BYTE rgbtRed;    ///< Red, 0 to 255.
};

/// The info block of an image: the header, then (under BI_BITFIELDS) three
/// masks, then the colour table. Only the header is sure to be there: an info
/// block of a 24-bit image is exactly 40 bytes, shorter than this structure.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;  ///< The header.
    RGBQUAD bmiColors[1];        ///< The first of the masks or colour entries that follow the header.
};

static_assert(sizeof(BITMAPFILEHEADER) == 14, "BITMAPFILEHEADER is 14 bytes");
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");
static_assert(sizeof(BITMAPCOREHEADER) == 12, "BITMAPCOREHEADER is 12 bytes");
static_assert(sizeof(RGBQUAD) == 4, "RGBQUAD is 4 bytes");
static_assert(sizeof(RGBTRIPLE) == 3, "RGBTRIPLE is 3 bytes");
static_assert(sizeof(BITMAPINFO) == 44, "BITMAPINFO is the header and one entry");

/// The COLORREF of red, green and blue values 0 to 255 (each cut to 8 bits).
#define RGB(r, g, b) \
    ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
/// The red value of a COLORREF.
#define GetRValue(rgb) ((BYTE)(rgb))
/// The green value of a COLORREF.
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
/// The blue value of a COLORREF.
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))

#endif
