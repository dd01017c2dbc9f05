// CDib: one device-independent bitmap held in two blocks, the info block
// (40-byte header, optional bit-field masks, colour table) and the pixel block
// (rows bottom-up, each padded to a multiple of four bytes).
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

// The version of the exported interface: always 1.
extern "C" VELMORO_API int GetRenderInterfaceVersion();

class VELMORO_API CDib {
public:
    CDib();
    ~CDib();
    // Copies are deep: every block has exactly one owner. A copy whose
    // allocation fails is empty.
    CDib(const CDib& other);
    CDib& operator=(const CDib& other);

    // Accessors. All but IsEmpty and the two address getters need a non-empty image.
    int IsEmpty() const { return m_pBmpInfo == NULL; }
    int GetWidth() const { return m_pBmpInfo->bmiHeader.biWidth; }
    int GetHeight() const { return m_pBmpInfo->bmiHeader.biHeight; }
    int GetBitCount() const { return m_pBmpInfo->bmiHeader.biBitCount; }
    DWORD GetCompression() const { return m_pBmpInfo->bmiHeader.biCompression; }
    int GetNumColorEntry() const { return GetNumColorEntry(m_pBmpInfo); }
    int GetColorEntrySize() const { return GetColorEntrySize(m_pBmpInfo); }
    RGBQUAD* GetColorTabAddress() const
    {
        return reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(m_pBmpInfo) + sizeof(BITMAPINFOHEADER));
    }
    BITMAPINFO* GetBmpInfoAddress() const { return m_pBmpInfo; }
    BYTE* GetBmpBitsAddress() const { return m_pBmpBits; }

    static int IsWinDIB(const BITMAPINFOHEADER* header);
    static int GetNumColorEntry(const BITMAPINFO* info);
    static int GetColorEntrySize(const BITMAPINFO* info);

    // BMP files and bitmap resources.
    DWORD Load(const char* path);
    DWORD Load(CFile& file, int bClose);
    DWORD Load(HINSTANCE hInstance, UINT nID);
    DWORD Load(UINT nID);
    int WriteBmp(const char* path);
    DWORD WriteBmp(CFile& file, int bClose);

    // Blank images with a standard colour table: 1, 4 and 8 bits get the two-colour,
    // sixteen-colour or halftone table and the fill colour's index in it (0 when the
    // colour is not there). Every 16-bit selector but DIB_FORMAT_565 means 5-5-5.
    // A width of 0 or less, or a negative height, gives DIB_ERR_NO_MEMORY.
    DWORD Create(int width, int height, int bitCount, DWORD fillColor, DWORD format);

    // Display and GDI interchange.
    void Draw(CDC& dc, const CRect* dst, const CRect* src);
    DWORD CopyDib(const CDib& source);
    DWORD CreateDIBFromBitmap(HBITMAP bitmap, HPALETTE palette, DWORD format);

    // The region of every pixel that is not the key colour; the caller owns it.
    DWORD CreateRegionFromScanLine(HRGN* region, DWORD keyColor);

    // JPEG decoding through a loaded codec.
    DWORD LoadJPEG(CJPeg& jpeg, CFile& file, int bClose);
    DWORD LoadJPEG(CJPeg& jpeg, const char* path);

protected:
    void CreatMonoColorTable(RGBQUAD* table);
    void CreatHexColorTable(RGBQUAD* table);
    void CreatHalfToneTable(RGBQUAD* table);
    // First entry equal to the colour (0x00BBGGRR); 0 when none is.
    int GetColorTableIndex(const RGBQUAD* table, DWORD color, int count) const;
    void FillIndexTypeBits(BYTE* bits, int width, int height, int bitCount, int index);
    void FillRGBBits(BYTE* bits, int width, int height, DWORD color);
    void FillRGB16Bits(BYTE* bits, int width, int height, DWORD color, DWORD format);

    DWORD CreateRegionFrom8BitScanLine(HRGN* region, DWORD keyColor);
    DWORD CreateRegionFrom16BitScanLine(HRGN* region, DWORD keyColor, DWORD format);
    DWORD CreateRegionFrom24BitScanLine(HRGN* region, DWORD keyColor);

    // Releases the present blocks and takes ownership of the given ones.
    void ReplaceBlocks(BITMAPINFO* info, BYTE* bits);
    // The library's readers outside this class hand over new blocks through it.
    friend class velmoro::DibBlockAccess;

    BITMAPINFO* m_pBmpInfo;
    BYTE* m_pBmpBits;
};

#endif
