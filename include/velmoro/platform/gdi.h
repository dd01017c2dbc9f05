// The small graphics seam: device contexts, device-dependent bitmaps, palettes
// and regions. Every handle is checked against the objects alive in the process,
// so a stale, foreign or already deleted handle makes a call fail, never crash.
#ifndef VELMORO_PLATFORM_GDI_H
#define VELMORO_PLATFORM_GDI_H

#include <velmoro/platform/geometry.h>
#include <velmoro/types.h>

struct VelmoroGdiObject;
struct VelmoroDeviceContext;
typedef VelmoroGdiObject* HGDIOBJ;
typedef VelmoroGdiObject* HBITMAP;
typedef VelmoroGdiObject* HPALETTE;
typedef VelmoroGdiObject* HRGN;
typedef VelmoroDeviceContext* HDC;
struct VelmoroWindow;
typedef VelmoroWindow* HWND;

class VELMORO_API CDC {
public:
    CDC() : m_hDC(NULL) {}
    explicit CDC(HDC hdc) : m_hDC(hdc) {}
    BOOL Attach(HDC hdc)
    {
        m_hDC = hdc;
        return hdc != NULL;
    }
    HDC Detach()
    {
        HDC hdc = m_hDC;
        m_hDC = NULL;
        return hdc;
    }
    HDC GetSafeHdc() const { return m_hDC; }

    HDC m_hDC;
};

#define CLR_INVALID 0xFFFFFFFFu
#define GDI_ERROR 0xFFFFFFFFu
#define DIB_RGB_COLORS 0u
#define DIB_PAL_COLORS 1u
#define SRCCOPY 0x00CC0020u
#define DEFAULT_PALETTE 15

#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define RGN_ERROR 0
#ifndef ERROR
#define ERROR 0
#endif
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RDH_RECTANGLES 1

struct BITMAP {
    LONG bmType;        // always 0
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;  // bytes per row, rows padded to an even number of bytes
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;       // top-down rows
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

struct LOGPALETTE {
    WORD palVersion;  // 0x300
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
};

struct RGNDATAHEADER {
    DWORD dwSize;    // sizeof(RGNDATAHEADER)
    DWORD iType;     // RDH_RECTANGLES
    DWORD nCount;    // rectangles in Buffer
    DWORD nRgnSize;  // bytes of the rectangles
    RECT rcBound;
};

struct RGNDATA {
    RGNDATAHEADER rdh;
    char Buffer[1];  // nCount RECTs in y-x bands: top to bottom, then left to right
};

static_assert(sizeof(PALETTEENTRY) == 4, "PALETTEENTRY is 4 bytes");
static_assert(sizeof(LOGPALETTE) == 8, "LOGPALETTE is the header and one entry");
static_assert(sizeof(RGNDATAHEADER) == 32, "RGNDATAHEADER is 32 bytes");

// Device contexts. The screen is one process-wide 32-bit surface of 1024 x 768
// pixels; GetDC(NULL) and GetWindowDC(NULL) give a fresh context on it (NULL for
// any other window), which ReleaseDC gives back. A memory context starts with a
// 1 x 1 stock bitmap selected; DeleteDC releases it but not the bitmap selected.
VELMORO_API HDC GetDC(HWND window);
VELMORO_API HDC GetWindowDC(HWND window);
VELMORO_API int ReleaseDC(HWND window, HDC hdc);
VELMORO_API HDC CreateCompatibleDC(HDC hdc);
VELMORO_API BOOL DeleteDC(HDC hdc);
// Selects a bitmap into a memory context and returns the previous one; NULL for
// other objects, for the screen, or for a bitmap already selected elsewhere.
VELMORO_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
// The colour at (x, y) of the context's surface, top-down; CLR_INVALID outside.
VELMORO_API COLORREF GetPixel(HDC hdc, int x, int y);

// Nearest-neighbour copy of a 1, 4, 8, 16 (5-5-5, or BI_BITFIELDS with 5-6-5 or
// 5-5-5 masks), 24 or 32-bit (blue, green, red, unused; or BI_BITFIELDS with
// 8-8-8 masks) bottom-up DIB into the context's surface. Source rows are
// counted from the bottom of the DIB. Each rectangle covers [x, x + w) whatever the
// sign of w; a destination extent whose sign differs from the source's mirrors.
// Every destination pixel takes the source pixel under its centre; pixels off the
// surface or whose source lies outside the DIB are left alone. Only DIB_RGB_COLORS
// and SRCCOPY. Returns the number of source scan lines, 0 on failure.
VELMORO_API int StretchDIBits(HDC hdc, int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc,
                              int wSrc, int hSrc, const void* bits, const BITMAPINFO* info, UINT usage,
                              DWORD rop);

// Device-dependent bitmaps: rows top-down, padded to an even number of bytes.
// 1, 2, 4 and 8-bit bitmaps hold indices whose colours come from the palette of the
// context they are read through; 16-bit bitmaps hold 5-6-5 words; 24-bit blue,
// green, red; 32-bit blue, green, red, unused. bits NULL gives zeros.
VELMORO_API HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
VELMORO_API HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
// The bitmap's rows as a bottom-up DIB in the header's format (1, 4, 8, 16, 24 or
// 32 bits; 16 bits is 5-5-5, or 5-6-5 with BI_BITFIELDS). The header's width and
// height must be the bitmap's. Fills biSizeImage and the colour table (the
// context's palette) or the masks; with bits it also writes scan lines
// [start, start + lines), bottom row first. Returns the number of lines in range.
VELMORO_API int GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info,
                          UINT usage);
// A bitmap fills a BITMAP (size >= sizeof(BITMAP)); a palette its 16-bit entry
// count (size >= 2). With buffer NULL the size needed. 0 on failure.
VELMORO_API int GetObjectA(HGDIOBJ object, int size, void* buffer);

// Palettes. Every context starts with the stock default palette (the 20 static
// colours) selected. Realizing is a no-op on the true-colour surfaces here.
VELMORO_API HPALETTE CreatePalette(const LOGPALETTE* palette);
VELMORO_API HPALETTE CreateHalftonePalette(HDC hdc);
VELMORO_API HGDIOBJ GetStockObject(int object);
VELMORO_API HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground);
// The number of entries of the selected palette; GDI_ERROR for a bad context.
VELMORO_API UINT RealizePalette(HDC hdc);
// With entries NULL the palette's entry count; else the number copied.
VELMORO_API UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);

// Regions: sets of pixels, right and bottom edges exclusive.
VELMORO_API HRGN CreateRectRgn(int left, int top, int right, int bottom);
VELMORO_API HRGN CreateRectRgnIndirect(const RECT* rect);
// dst may be one of the sources; on ERROR dst is unchanged. RGN_COPY ignores b.
VELMORO_API int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
VELMORO_API BOOL PtInRegion(HRGN region, int x, int y);
VELMORO_API int GetRgnBox(HRGN region, RECT* box);
VELMORO_API BOOL EqualRgn(HRGN a, HRGN b);
VELMORO_API int OffsetRgn(HRGN region, int dx, int dy);
// With data NULL the bytes needed; else size when it suffices, 0 when it does not.
VELMORO_API DWORD GetRegionData(HRGN region, DWORD size, RGNDATA* data);

// Releases a bitmap, palette or region. Stock objects: nothing happens (TRUE).
// FALSE for NULL, an unknown handle, or an object still selected into a context.
VELMORO_API BOOL DeleteObject(HGDIOBJ object);

#endif
