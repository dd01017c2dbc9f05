// SPDX-License-Identifier: MIT
/// @file
/// The small graphics seam: device contexts, device-dependent bitmaps, palettes
/// and regions. Every handle is checked against the objects alive in the process,
/// so a stale, foreign or already deleted handle makes a call fail, never crash.
#ifndef VELMORO_PLATFORM_GDI_H
#define VELMORO_PLATFORM_GDI_H

#include <velmoro/platform/geometry.h>
#include <velmoro/types.h>

struct VelmoroGdiObject;
struct VelmoroDeviceContext;
typedef VelmoroGdiObject* HGDIOBJ;   ///< A bitmap, palette or region.
typedef VelmoroGdiObject* HBITMAP;   ///< A device-dependent bitmap.
typedef VelmoroGdiObject* HPALETTE;  ///< A logical palette.
typedef VelmoroGdiObject* HRGN;      ///< A region: a set of pixels.
typedef VelmoroDeviceContext* HDC;   ///< A device context: the screen or a memory context.
struct VelmoroWindow;
typedef VelmoroWindow* HWND;         ///< A window; only NULL (the screen) is known here.

/// A device context handle in an object, for CDib::Draw. It does not own the
/// context: whoever made it releases it (ReleaseDC or DeleteDC).
class VELMORO_API CDC {
public:
    /// No context.
    CDC() : m_hDC(NULL) {}
    /// Wraps hdc.
    explicit CDC(HDC hdc) : m_hDC(hdc) {}
    /// Wraps hdc; TRUE when it is not NULL.
    BOOL Attach(HDC hdc)
    {
        m_hDC = hdc;
        return hdc != NULL;
    }
    /// Gives the handle back and holds none.
    HDC Detach()
    {
        HDC hdc = m_hDC;
        m_hDC = NULL;
        return hdc;
    }
    /// The handle held, NULL when none.
    HDC GetSafeHdc() const { return m_hDC; }

    HDC m_hDC;  ///< The handle held, NULL when none.
};

#define CLR_INVALID 0xFFFFFFFFu  ///< GetPixel's answer for no colour.
#define GDI_ERROR 0xFFFFFFFFu    ///< RealizePalette's answer for a bad context.
#define DIB_RGB_COLORS 0u        ///< The colour table holds colours (the only usage served).
#define DIB_PAL_COLORS 1u        ///< The colour table holds palette indices (refused).
#define SRCCOPY 0x00CC0020u      ///< Copy the source (the only raster operation).
#define DEFAULT_PALETTE 15       ///< GetStockObject: the default palette of 20 static colours.

#define RGN_AND 1       ///< CombineRgn: pixels in both.
#define RGN_OR 2        ///< CombineRgn: pixels in either.
#define RGN_XOR 3       ///< CombineRgn: pixels in exactly one.
#define RGN_DIFF 4      ///< CombineRgn: pixels of the first that are not in the second.
#define RGN_COPY 5      ///< CombineRgn: the first.
#define RGN_ERROR 0     ///< A region call failed.
#ifndef ERROR
#define ERROR 0         ///< A region call failed (the same as RGN_ERROR).
#endif
#define NULLREGION 1     ///< The region holds no pixel.
#define SIMPLEREGION 2   ///< The region is one rectangle.
#define COMPLEXREGION 3  ///< The region is more than one rectangle.
#define RDH_RECTANGLES 1 ///< RGNDATAHEADER::iType: rectangles.

/// What GetObjectA tells about a bitmap.
struct BITMAP {
    LONG bmType;        ///< Always 0.
    LONG bmWidth;       ///< Width in pixels.
    LONG bmHeight;      ///< Height in pixels.
    LONG bmWidthBytes;  ///< Bytes per row, rows padded to an even number of bytes.
    WORD bmPlanes;      ///< 1.
    WORD bmBitsPixel;   ///< Bits per pixel: 1, 2, 4, 8, 16, 24 or 32.
    void* bmBits;       ///< The rows, top-down; valid while the bitmap lives.
};

/// One palette entry, red first.
struct PALETTEENTRY {
    BYTE peRed;    ///< Red, 0 to 255.
    BYTE peGreen;  ///< Green, 0 to 255.
    BYTE peBlue;   ///< Blue, 0 to 255.
    BYTE peFlags;  ///< 0; ignored.
};

/// A palette's entries for CreatePalette, allocated with room for palNumEntries.
struct LOGPALETTE {
    WORD palVersion;              ///< 0x300; any other version is refused.
    WORD palNumEntries;           ///< Entries in palPalEntry, at least 1.
    PALETTEENTRY palPalEntry[1];  ///< The first of the entries.
};

/// The header of a region's data.
struct RGNDATAHEADER {
    DWORD dwSize;    ///< sizeof(RGNDATAHEADER).
    DWORD iType;     ///< RDH_RECTANGLES.
    DWORD nCount;    ///< Rectangles in Buffer.
    DWORD nRgnSize;  ///< Bytes of the rectangles.
    RECT rcBound;    ///< The smallest rectangle around the region.
};

/// A region as rectangles, filled by GetRegionData into a buffer of the size it asks for.
struct RGNDATA {
    RGNDATAHEADER rdh;  ///< The header.
    char Buffer[1];     ///< nCount RECTs in y-x bands: top to bottom, then left to right.
};

static_assert(sizeof(PALETTEENTRY) == 4, "PALETTEENTRY is 4 bytes");
static_assert(sizeof(LOGPALETTE) == 8, "LOGPALETTE is the header and one entry");
static_assert(sizeof(RGNDATAHEADER) == 32, "RGNDATAHEADER is 32 bytes");

/// @name Device contexts
/// The screen is one process-wide 32-bit surface of 1024 x 768
/// pixels; GetDC(NULL) and GetWindowDC(NULL) give a fresh context on it (NULL for
/// any other window), which ReleaseDC gives back. A memory context starts with a
/// 1 x 1 stock bitmap selected; DeleteDC releases it but not the bitmap selected.
/// Contexts of any threads may draw on the screen and read it at once: each
/// call has the surface to itself.
//@{
/// A fresh context on the screen for window NULL; NULL for any other window or when memory is short.
VELMORO_API HDC GetDC(HWND window);
/// The same as GetDC.
VELMORO_API HDC GetWindowDC(HWND window);
/// Gives back a screen context: 1, or 0 for a window, an unknown or a memory context.
VELMORO_API int ReleaseDC(HWND window, HDC hdc);
/// A new memory context (hdc may be NULL or any live context); NULL for a dead hdc or when memory is short.
VELMORO_API HDC CreateCompatibleDC(HDC hdc);
/// Releases a memory context: TRUE, or FALSE for the screen's or an unknown context.
VELMORO_API BOOL DeleteDC(HDC hdc);
/// Selects a bitmap into a memory context and returns the previous one; NULL for
/// other objects, for the screen, or for a bitmap already selected elsewhere.
VELMORO_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
/// The colour at (x, y) of the context's surface, top-down; CLR_INVALID outside
/// or for an unknown context.
VELMORO_API COLORREF GetPixel(HDC hdc, int x, int y);
//@}

/// Nearest-neighbour copy of a 1, 4, 8, 16 (5-5-5, or BI_BITFIELDS with 5-6-5 or
/// 5-5-5 masks), 24 or 32-bit (blue, green, red, unused; or BI_BITFIELDS with
/// 8-8-8 masks) bottom-up DIB into the context's surface. Source rows are
/// counted from the bottom of the DIB. Each rectangle covers [x, x + w) whatever the
/// sign of w; a destination extent whose sign differs from the source's mirrors.
/// Every destination pixel takes the source pixel under its centre; pixels off the
/// surface or whose source lies outside the DIB are left alone. Only DIB_RGB_COLORS
/// and SRCCOPY. Returns the number of source scan lines, 0 on failure.
VELMORO_API int StretchDIBits(HDC hdc, int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc,
                              int wSrc, int hSrc, const void* bits, const BITMAPINFO* info, UINT usage,
                              DWORD rop);

/// @name Device-dependent bitmaps
/// Rows top-down, padded to an even number of bytes.
/// 1, 2, 4 and 8-bit bitmaps hold indices whose colours come from the palette of the
/// context they are read through; 16-bit bitmaps hold 5-6-5 words; 24-bit blue,
/// green, red; 32-bit blue, green, red, unused. Release them with DeleteObject.
//@{
/// A bitmap of 1 plane and 1, 2, 4, 8, 16, 24 or 32 bits per pixel, its rows
/// copied from bits (NULL gives zeros); NULL for other sizes or depths, or when memory is short.
VELMORO_API HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
/// A zero-filled 32-bit bitmap for a live context; NULL otherwise or when memory is short.
VELMORO_API HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
/// The bitmap's rows as a bottom-up DIB in the header's format (1, 4, 8, 16, 24 or
/// 32 bits; 16 bits is 5-5-5, or 5-6-5 with BI_BITFIELDS). The header's width and
/// height must be the bitmap's. Fills biSizeImage and the colour table (the
/// context's palette) or the masks; with bits it also writes scan lines
/// [start, start + lines), bottom row first. Returns the number of lines in range,
/// 0 on failure (unknown handles, another header, DIB_PAL_COLORS).
VELMORO_API int GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info,
                          UINT usage);
/// A bitmap fills a BITMAP (size >= sizeof(BITMAP)); a palette its 16-bit entry
/// count (size >= 2). With buffer NULL the size needed. 0 on failure.
VELMORO_API int GetObjectA(HGDIOBJ object, int size, void* buffer);
//@}

/// @name Palettes
/// Every context starts with the stock default palette (the 20 static
/// colours) selected. Realizing is a no-op on the true-colour surfaces here.
//@{
/// A palette of the entries (version 0x300, at least one entry); NULL otherwise
/// or when memory is short. Release it with DeleteObject.
VELMORO_API HPALETTE CreatePalette(const LOGPALETTE* palette);
/// The 256-colour halftone palette (hdc NULL or live); NULL for a dead hdc or when memory is short.
VELMORO_API HPALETTE CreateHalftonePalette(HDC hdc);
/// The stock default palette for DEFAULT_PALETTE, NULL for any other value; never deleted.
VELMORO_API HGDIOBJ GetStockObject(int object);
/// Selects the palette into the context and returns the previous one; NULL for
/// an unknown context or palette. forceBackground makes no difference here.
VELMORO_API HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground);
/// The number of entries of the selected palette; GDI_ERROR for a bad context.
VELMORO_API UINT RealizePalette(HDC hdc);
/// With entries NULL the palette's entry count; else the number copied from
/// start on (at most count). 0 for an unknown palette or a start past its end.
VELMORO_API UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);
//@}

/// @name Regions
/// Sets of pixels, right and bottom edges exclusive, over pixman regions.
/// Release them with DeleteObject.
//@{
/// The rectangle's pixels (sides in any order); NULL when memory is short.
VELMORO_API HRGN CreateRectRgn(int left, int top, int right, int bottom);
/// CreateRectRgn from a RECT; NULL for NULL.
VELMORO_API HRGN CreateRectRgnIndirect(const RECT* rect);
/// Sets dst to a and b combined by mode (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF,
/// RGN_COPY) and returns its kind (NULLREGION, SIMPLEREGION, COMPLEXREGION).
/// dst may be one of the sources; on ERROR dst is unchanged. RGN_COPY ignores b.
VELMORO_API int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
/// TRUE when the pixel (x, y) is in the region; FALSE also for an unknown region.
VELMORO_API BOOL PtInRegion(HRGN region, int x, int y);
/// Writes the smallest rectangle around the region and returns its kind; ERROR
/// for an unknown region or a NULL box.
VELMORO_API int GetRgnBox(HRGN region, RECT* box);
/// TRUE when both regions hold the same pixels; FALSE also for an unknown region.
VELMORO_API BOOL EqualRgn(HRGN a, HRGN b);
/// Moves the region and returns its kind; ERROR for an unknown region or a move
/// past the 32-bit range (the region is unchanged). An empty region stays where it is.
VELMORO_API int OffsetRgn(HRGN region, int dx, int dy);
/// The region as rectangles. With data NULL the bytes needed; else size when it
/// suffices, 0 when it does not or the region is unknown.
VELMORO_API DWORD GetRegionData(HRGN region, DWORD size, RGNDATA* data);
//@}

/// Releases a bitmap, palette or region. Stock objects: nothing happens (TRUE).
/// FALSE for NULL, an unknown handle, or an object still selected into a context.
VELMORO_API BOOL DeleteObject(HGDIOBJ object);

#endif
