// CDibEdit: the pixel operations over a CDib. Operations with a SIMD twin pick
// it when m_bMMXEnabled is set, read once per call.
//
// Threads: distinct images may be edited on different threads at once. An image
// that an operation only reads (the overlay or source of an operation, the image
// of GetColorFromPoint or WriteBmp) may be read by many threads at once; any other
// use of one image from several threads needs the caller's lock. The SIMD flag is
// read and written atomically, so TryEnableMMXSupport may run on any thread at any
// time: a call already running keeps the variant it picked.
#ifndef VELMORO_DIB_EDIT_H
#define VELMORO_DIB_EDIT_H

#include <velmoro/dib.h>
#include <velmoro/platform/geometry.h>

class VELMORO_API CDibEdit : public CDib {
public:
    CDibEdit() = default;
    ~CDibEdit() = default;
    CDibEdit(const CDibEdit& other) = default;
    CDibEdit& operator=(const CDibEdit& other) = default;

    // 1 when the processor has MMX (CPUID leaf 1, EDX bit 23); never changes the flag.
    static int CheckMMXTechnology();
    // Runs the check and stores its result in m_bMMXEnabled. The twins give the
    // plain variants' bytes, except AlphaBlendDirect at 24 bits (the twin rounds
    // the whole mix down) and the in-place switch between 16-bit layouts (the twin
    // also converts the padding word of an odd-width row).
    static int TryEnableMMXSupport();

    // Depth conversion. 8- and 16-bit images become 24-bit, 8-, 16- and 24-bit images
    // 16-bit in the layout the selector names. An empty image gives DIB_ERR_EMPTY, another
    // depth DIB_ERR_BAD_DEPTH; an 8-bit index past the colour table converts as black.
    DWORD ConvertTo24BitPerPixel();
    DWORD ConvertTo16BitPerPixel(DWORD format);
    // Adds the noise the following reduction to 16 bits would drop (24-bit images only).
    DWORD Dither24To16BitPerPixel(DWORD format);

    // Colour-key compositing.
    DWORD CombineDib(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CPoint* point, CRect* rect,
                     int bUseKey);
    DWORD CombineDib(CDibEdit& overlay, DWORD keyColor, CPoint* point, CRect* rect, int bUseKey);

    // Alpha blending.
    DWORD AlphaBlend(CDibEdit& other, unsigned char alpha);
    DWORD AlphaBlendDirect(CDibEdit& first, CDibEdit& second, unsigned char alpha);

    // Crop, join and flip.
    // CropFrom: a result of the size this image's pixel block already has is
    // written into that block (its address stays); otherwise a new block
    // replaces it. A crop of this image itself always gets a new block.
    DWORD CropFrom(CDibEdit& source, CRect* rect);
    DWORD JoinHorz(CDibEdit& other, DWORD fillColor);
    DWORD JoinVert(CDibEdit& other, DWORD fillColor);
    DWORD InvertDibVert();
    DWORD InvertDibHorz();

    // Interlace.
    DWORD CreateHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    DWORD CreateVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);

    // Pixel effects.
    // Paints a checkerboard in the colour (0x00BBGGRR): the pixels (x, y), counted from
    // the top-left, with x + y even (phase 0) or odd (phase non-zero); clears row padding.
    DWORD MaskImage50(DWORD color, int phase);
    // Adds the amount to every channel of a 24-bit image, saturating at 0 and 255.
    DWORD FadeDib(int amount);
    // 3 x 3 convolution of a 24-bit image: nine weights (stored row below, own row,
    // stored row above; each left, centre, right), trunc(sum / divisor) + offset,
    // clamped to 0..255. Pixels outside the image contribute nothing.
    DWORD FilterDib(int* kernel, int divisor, int offset);
    // The colour (0x00BBGGRR) of the pixel at the point, counted from the top-left.
    DWORD GetColorFromPoint(CPoint point, DWORD* color);
    // Copies the source's colour-table entries over this image's; the counts must match.
    DWORD CopyColorTable(CDibEdit& source);

protected:
    // Depth conversion workers and their twins. Each reads the image's current info
    // block and writes stride x height bytes of the new depth into dst (Bit16To16: the
    // image's own pixel block, in place); the wrong source depth writes nothing.
    DWORD Bit8To24BitPerPixel(BYTE* dst);
    DWORD Bit8To24BitPerPixelMMX(BYTE* dst);
    DWORD Bit8To16BitPerPixel(BYTE* dst, DWORD format);
    DWORD Bit8To16BitPerPixelMMX(BYTE* dst, DWORD format);
    DWORD Bit16To24BitPerPixel(BYTE* dst);
    DWORD Bit16To24BitPerPixelMMX(BYTE* dst);
    DWORD Bit16To16BitPerPixel(BYTE* bits, DWORD format);
    DWORD Bit16To16BitPerPixelMMX(BYTE* bits, DWORD format);
    DWORD Bit24To16BitPerPixel(BYTE* dst, DWORD format);
    DWORD Bit24To16BitPerPixelMMX(BYTE* dst, DWORD format);

    // Compositing workers and their twins. The rectangles are clipped, of equal size
    // and in stored (bottom-up) rows. The three-image form writes every byte of newBits
    // (base bytes outside the rectangle); the two-image form changes only the rectangle.
    void Combine8BitImage(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                          CRect& overlayRect, BYTE* newBits, int bUseKey);
    void Combine8BitImageMMX(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                             CRect& overlayRect, BYTE* newBits, int bUseKey);
    void Combine16BitImage(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                           CRect& overlayRect, BYTE* newBits, int bUseKey);
    void Combine16BitImageMMX(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                              CRect& overlayRect, BYTE* newBits, int bUseKey);
    void Combine24BitImage(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                           CRect& overlayRect, BYTE* newBits, int bUseKey);
    void Combine24BitImageMMX(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                              CRect& overlayRect, BYTE* newBits, int bUseKey);
    void Combine8BitImage(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                          int bUseKey);
    void Combine8BitImageMMX(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                             int bUseKey);
    void Combine16BitImage(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                           int bUseKey);
    void Combine16BitImageMMX(CDibEdit& overlay, DWORD keyColor, CRect& targetRect,
                              CRect& overlayRect, int bUseKey);
    void Combine24BitImage(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                           int bUseKey);
    void Combine24BitImageMMX(CDibEdit& overlay, DWORD keyColor, CRect& targetRect,
                              CRect& overlayRect, int bUseKey);

    // Alpha-blending members. Each checks the receiving object again (empty, depth) and
    // refuses empty or differently sized sources.
    DWORD AlphaBlend16(CDibEdit& other, unsigned char alpha);
    DWORD AlphaBlend24(CDibEdit& other, unsigned char alpha);
    DWORD AlphaBlendDirect16(CDibEdit& first, CDibEdit& second, unsigned char alpha);
    DWORD AlphaBlendDirect24(CDibEdit& first, CDibEdit& second, unsigned char alpha);
    // Rounds the whole mix down: one less than AlphaBlendDirect24 where first < second
    // and the product is not a multiple of 256.
    DWORD AlphaBlendDirect24MMX(CDibEdit& first, CDibEdit& second, unsigned char alpha);

    // Crop, join and flip workers.
    // The crop workers copy the rectangle (left, right in columns; top, bottom in
    // stored rows, bottom exclusive) of the source into rows of stride(width)
    // bytes with zero padding. A source of another depth or a rectangle outside
    // the source writes nothing.
    void Crop8BitImage(CDibEdit& source, const CRect& rect, BYTE* dst);
    void Crop16BitImage(CDibEdit& source, const CRect& rect, BYTE* dst);
    void Crop24BitImage(CDibEdit& source, const CRect& rect, BYTE* dst);
    DWORD Join8BitHorz(CDibEdit& other, DWORD fillColor);
    DWORD Join16BitHorz(CDibEdit& other, DWORD fillColor);
    DWORD Join24BitHorz(CDibEdit& other, DWORD fillColor);
    DWORD Join8BitVert(CDibEdit& other, DWORD fillColor);
    DWORD Join16BitVert(CDibEdit& other, DWORD fillColor);
    DWORD Join24BitVert(CDibEdit& other, DWORD fillColor);

    // Interlace variants and scan-line writers.
    DWORD Create8BitHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    DWORD Create16BitHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    DWORD Create24BitHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    DWORD Create8BitVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    DWORD Create16BitVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    DWORD Create24BitVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    // Each writes exactly bytes (or count) pixel bytes, a last pixel cut short
    // when they do not divide evenly, then pad zero bytes.
    void FillIndexScanLine(BYTE* row, DWORD count, DWORD pad, BYTE index);
    void FillRGB16ScanLine(BYTE* row, DWORD bytes, DWORD pad, DWORD color, DWORD format);
    void FillRGBScanLine(BYTE* row, DWORD bytes, DWORD pad, DWORD color);

    // Pixel-effect members. The colour-at-point members take the point as x and
    // stored row.
    DWORD Mask8BitImage50(DWORD color, int phase);
    DWORD Mask16BitImage50(DWORD color, int phase);
    DWORD Mask24BitImage50(DWORD color, int phase);
    DWORD Fade24BitDib(int amount);
    DWORD Get8BitColorFromPoint(CPoint point, DWORD* color);
    DWORD Get16BitColorFromPoint(CPoint point, DWORD* color);
    DWORD Get24BitColorFromPoint(CPoint point, DWORD* color);

    // The flag's only accessors: another thread may switch it at any time.
    static int IsMMXEnabled() { return __atomic_load_n(&m_bMMXEnabled, __ATOMIC_RELAXED); }
    static void SetMMXEnabled(int enabled) { __atomic_store_n(&m_bMMXEnabled, enabled, __ATOMIC_RELAXED); }

    static int m_bMMXEnabled;
};

#endif
