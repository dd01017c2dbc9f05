// SPDX-License-Identifier: MIT
/// @file
/// CDib: one device-independent bitmap held in two blocks, the info block
/// (40-byte header, optional bit-field masks, colour table) and the pixel block
/// (rows bottom-up, each padded to a multiple of four bytes).
#ifndef VELMORO_DIB_H
#define VELMORO_DIB_H

#include <velmoro/platform/gdi.h>
#include <velmoro/platform/geometry.h>
#include <velmoro/platform/module.h>
#include <velmoro/result.h>
#include <velmoro/types.h>

class CFile;
class CJPeg;

namespace velmoro {
class DibBlockAccess;
}

/// The version of the exported interface: always 1.
extern "C" VELMORO_API int GetRenderInterfaceVersion();

/// One device-independent bitmap: an info block (BITMAPINFOHEADER, bit-field
/// masks under BI_BITFIELDS, colour table) and a pixel block (rows bottom-up,
/// each padded to a multiple of four bytes), both owned by the object.
///
/// A new object is empty (no blocks). Load, Create, CopyDib and the other
/// operations that make an image replace both blocks only once the new ones are
/// complete: every failure returns a result code from result.h and leaves the
/// image exactly as it was. Points and rectangles given to operations count from
/// the top-left pixel; the stored rows run from the bottom. Colours are
/// COLORREF values 0x00BBGGRR.
///
/// Example: examples/sprite_over_background.cpp.
class VELMORO_API CDib {
public:
    /// An empty image.
    CDib();
    /// Releases both blocks.
    ~CDib();
    /// A deep copy: every block has exactly one owner. A copy whose
    /// allocation fails is empty.
    CDib(const CDib& other);
    /// A deep copy. An empty source empties this image; a failed allocation
    /// leaves this image as it was.
    CDib& operator=(const CDib& other);

    /// @name Accessors
    /// All but IsEmpty and the two address getters need a non-empty image.
    //@{
    /// 1 when the image holds no blocks, else 0.
    int IsEmpty() const { return m_pBmpInfo == NULL; }
    /// Width in pixels.
    int GetWidth() const { return m_pBmpInfo->bmiHeader.biWidth; }
    /// Height in pixels.
    int GetHeight() const { return m_pBmpInfo->bmiHeader.biHeight; }
    /// Bits per pixel.
    int GetBitCount() const { return m_pBmpInfo->bmiHeader.biBitCount; }
    /// The header's biCompression: BI_RGB, or BI_BITFIELDS for 5-6-5 pixels.
    DWORD GetCompression() const { return m_pBmpInfo->bmiHeader.biCompression; }
    /// Entries of the colour table (biClrUsed, or the depth's full table); 0 above 8 bits.
    int GetNumColorEntry() const { return GetNumColorEntry(m_pBmpInfo); }
    /// Bytes behind the header: the colour table and any bit-field masks.
    int GetColorEntrySize() const { return GetColorEntrySize(m_pBmpInfo); }
    /// The bytes right behind the header: the colour table, or the three masks
    /// under BI_BITFIELDS. Meaningless for an empty image.
    RGBQUAD* GetColorTabAddress() const
    {
        return reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(m_pBmpInfo) + sizeof(BITMAPINFOHEADER));
    }
    /// The info block, NULL for an empty image. It stays the image's: valid
    /// until the next operation that replaces it.
    BITMAPINFO* GetBmpInfoAddress() const { return m_pBmpInfo; }
    /// The pixel block (bottom-up rows), NULL for an empty image; valid until
    /// the next operation that replaces it.
    BYTE* GetBmpBitsAddress() const { return m_pBmpBits; }
    //@}

    /// 1 when the header is a 40-byte BITMAPINFOHEADER, 0 for any other size.
    static int IsWinDIB(const BITMAPINFOHEADER* header);
    /// Entries of the info block's colour table: biClrUsed when set, else 2, 16
    /// or 256 for 1, 4 or 8 bits, else 0.
    static int GetNumColorEntry(const BITMAPINFO* info);
    /// Bytes behind the info block's header: 4 per colour entry, and 12 more for
    /// the masks under BI_BITFIELDS.
    static int GetColorEntrySize(const BITMAPINFO* info);

    /// @name BMP files and bitmap resources
    //@{
    /// Reads a BMP file: 40-byte or 12-byte header, BI_RGB or BI_BITFIELDS,
    /// bottom-up rows. DIB_OK; DIB_ERR_OPEN when the path cannot be opened; the
    /// codes of Load(CFile&, int) for the content.
    DWORD Load(const char* path);
    /// Reads a BMP file from the start of a file object, whatever its position;
    /// bClose closes the file after a successful read. Every size is checked
    /// against the bytes present before anything is allocated. DIB_OK;
    /// DIB_ERR_FILE_IO (shorter than its headers say), DIB_ERR_NOT_BMP (no "BM"),
    /// DIB_ERR_BAD_HEADER (another header size, a negative width),
    /// DIB_ERR_COMPRESSED (RLE pixels), DIB_ERR_NO_MEMORY (top-down rows, or
    /// blocks beyond 4 GiB or memory). A failure leaves the image as it was and
    /// the file open. Exceptions of the file object's Seek pass through.
    DWORD Load(CFile& file, int bClose);
    /// Copies the packed DIB (header, table, pixels) of a bitmap resource that
    /// velmoro_add_bitmap_resources embedded in a module. DIB_OK;
    /// DIB_ERR_RES_NOT_FOUND, DIB_ERR_RES_LOAD, DIB_ERR_RES_LOCK;
    /// DIB_ERR_BAD_HEADER (not a 40-byte header), DIB_ERR_FILE_IO (fewer bytes
    /// than the header promises), DIB_ERR_NO_MEMORY. A failure leaves the image as it was.
    DWORD Load(HINSTANCE hInstance, UINT nID);
    /// Load(HINSTANCE, UINT) from AfxGetResourceHandle(): the program, unless
    /// another module was set.
    DWORD Load(UINT nID);
    /// Writes the image as a BMP file (created or truncated). DIB_OK;
    /// DIB_ERR_EMPTY (nothing is created), DIB_ERR_OPEN, DIB_ERR_WRITE. A failed
    /// write may leave a partial file behind; the image never changes.
    int WriteBmp(const char* path);
    /// Writes the image as a BMP file at the file object's position; bClose
    /// closes it after the write. DIB_OK; DIB_ERR_EMPTY; DIB_ERR_WRITE when a
    /// write or the close throws (the exception is caught and released) or the
    /// blocks are too large for the format.
    DWORD WriteBmp(CFile& file, int bClose);
    //@}

    /// Makes a blank image filled with one colour. 1, 4 and 8 bits get the two-colour,
    /// sixteen-colour or halftone table and the fill colour's index in it (0 when the
    /// colour is not there); 16 bits are 5-6-5 (BI_BITFIELDS) for DIB_FORMAT_565 and
    /// 5-5-5 (BI_RGB) for every other selector; 24 bits take the colour as it is.
    /// A height of 0 makes an image without rows.
    /// DIB_OK; DIB_ERR_BAD_BITCOUNT for another depth; DIB_ERR_NO_MEMORY for a
    /// width of 0 or less, a negative height, or when memory is short. A failure
    /// leaves the image as it was.
    DWORD Create(int width, int height, int bitCount, DWORD fillColor, DWORD format);

    /// @name Display and GDI interchange
    //@{
    /// Draws the image, or its part src (from the top-left pixel, NULL: all), into
    /// the rectangle dst of a device context (NULL: src's place), stretched by
    /// the nearest pixel as StretchDIBits does. Nothing happens for an empty image,
    /// a context that is not alive, or rectangles whose sides overflow.
    void Draw(CDC& dc, const CRect* dst, const CRect* src);
    /// Makes this image a deep copy of the source. DIB_OK; DIB_ERR_EMPTY for an
    /// empty source, DIB_ERR_NO_MEMORY; a failure leaves this image as it was.
    DWORD CopyDib(const CDib& source);
    /// Makes the image from a device-dependent bitmap, read through the screen's
    /// context with the palette (NULL: the default palette) selected: 1, 4 or 8
    /// bits with the palette as colour table, 16 bits (5-6-5 for DIB_FORMAT_565,
    /// else 5-5-5) or 24 bits (for 24- and 32-bit bitmaps). DIB_OK; DIB_ERR_BITMAP
    /// (no bitmap, or its bits cannot be read), DIB_ERR_BAD_BITCOUNT (a 2- or
    /// 32-bit bitmap), DIB_ERR_NO_MEMORY. A failure leaves the image as it was.
    DWORD CreateDIBFromBitmap(HBITMAP bitmap, HPALETTE palette, DWORD format);
    //@}

    /// Makes the region of every pixel that is not the key colour (8, 16 or
    /// 24 bits; an 8-bit key is the first table entry of that colour) and stores
    /// its handle in *region. The caller owns the region and releases it with
    /// DeleteObject. DIB_OK; DIB_ERR_EMPTY; DIB_ERR_BAD_DEPTH; DIB_ERR_REGION
    /// when no pixel has the key colour, region is NULL or the rows are top-down;
    /// DIB_ERR_NO_MEMORY. On failure *region is not written. The image never changes.
    /// Example: examples/shaped_region.cpp.
    DWORD CreateRegionFromScanLine(HRGN* region, DWORD keyColor);

    /// @name JPEG decoding through a loaded codec
    //@{
    /// Decodes a whole JPEG file object (from its start, whatever its position)
    /// into a 24-bit bottom-up image; bClose closes the file after success.
    /// The codec gets a fresh properties record for the call, released on return.
    /// DIB_OK; DIB_ERR_JPEG (no codec loaded, or it did not start);
    /// DIB_ERR_FILE_IO (short read, not a JPEG, damaged data); DIB_ERR_NO_MEMORY.
    /// A failure leaves the image as it was and the file open.
    DWORD LoadJPEG(CJPeg& jpeg, CFile& file, int bClose);
    /// Decodes a JPEG file the codec opens itself into a 24-bit bottom-up image.
    /// DIB_OK; DIB_ERR_JPEG; DIB_ERR_FILE_IO (also for a path that cannot be
    /// opened); DIB_ERR_NO_MEMORY. A failure leaves the image as it was.
    DWORD LoadJPEG(CJPeg& jpeg, const char* path);
    //@}

protected:
    /// Writes the two-colour table (black, white) into table.
    void CreatMonoColorTable(RGBQUAD* table);
    /// Writes the sixteen-colour table into table.
    void CreatHexColorTable(RGBQUAD* table);
    /// Writes the 256-entry halftone table into table.
    void CreatHalfToneTable(RGBQUAD* table);
    /// Index of the first of count entries equal to the colour (0x00BBGGRR); 0 when none is.
    int GetColorTableIndex(const RGBQUAD* table, DWORD color, int count) const;
    /// Fills a 1, 4 or 8-bit pixel block of width x height with one index;
    /// padding bits and bytes become 0.
    void FillIndexTypeBits(BYTE* bits, int width, int height, int bitCount, int index);
    /// Fills a 24-bit pixel block with one colour; padding bytes become 0.
    void FillRGBBits(BYTE* bits, int width, int height, DWORD color);
    /// Fills a 16-bit pixel block with one colour in the selector's layout; padding bytes become 0.
    void FillRGB16Bits(BYTE* bits, int width, int height, DWORD color, DWORD format);

    /// The key-colour region of an 8-bit image: CreateRegionFromScanLine's codes,
    /// DIB_ERR_NOT_8BIT for another depth. A key missing from the table means index 0.
    DWORD CreateRegionFrom8BitScanLine(HRGN* region, DWORD keyColor);
    /// The key-colour region of a 16-bit image, the key packed in the selector's
    /// layout: CreateRegionFromScanLine's codes, DIB_ERR_NOT_16BIT for another depth.
    DWORD CreateRegionFrom16BitScanLine(HRGN* region, DWORD keyColor, DWORD format);
    /// The key-colour region of a 24-bit image: CreateRegionFromScanLine's
    /// codes, DIB_ERR_NOT_24BIT for another depth.
    DWORD CreateRegionFrom24BitScanLine(HRGN* region, DWORD keyColor);

    /// Releases the present blocks and takes ownership of the given ones.
    void ReplaceBlocks(BITMAPINFO* info, BYTE* bits);
    /// The library's readers outside this class hand over new blocks through it.
    friend class velmoro::DibBlockAccess;

    BITMAPINFO* m_pBmpInfo;  ///< The info block, NULL when the image is empty.
    BYTE* m_pBmpBits;        ///< The pixel block, NULL when the image is empty.
};

#endif
