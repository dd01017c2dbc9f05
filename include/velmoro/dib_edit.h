// CDibEdit: the pixel operations over a CDib. Operations with a SIMD twin pick
// it when m_bMMXEnabled is set, read once per call.
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
    // Runs the check and stores its result in m_bMMXEnabled.
    static int TryEnableMMXSupport();

    // Depth conversion.
    DWORD ConvertTo24BitPerPixel();
    DWORD ConvertTo16BitPerPixel(DWORD format);
    DWORD Dither24To16BitPerPixel(DWORD format);

    // Colour-key compositing.
    DWORD CombineDib(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CPoint* point, CRect* rect,
                     int bUseKey);
    DWORD CombineDib(CDibEdit& overlay, DWORD keyColor, CPoint* point, CRect* rect, int bUseKey);

    // Alpha blending.
    DWORD AlphaBlend(CDibEdit& other, unsigned char alpha);
    DWORD AlphaBlendDirect(CDibEdit& first, CDibEdit& second, unsigned char alpha);

    // Crop, join and flip.
    DWORD CropFrom(CDibEdit& source, CRect* rect);
    DWORD JoinHorz(CDibEdit& other, DWORD fillColor);
    DWORD JoinVert(CDibEdit& other, DWORD fillColor);
    DWORD InvertDibVert();
    DWORD InvertDibHorz();

    // Interlace.
    DWORD CreateHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    DWORD CreateVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);

    // Pixel effects.
    DWORD MaskImage50(DWORD color, int phase);
    DWORD FadeDib(int level);
    DWORD FilterDib(int* kernel, int divisor, int bias);
    DWORD GetColorFromPoint(CPoint point, DWORD* color);
    DWORD CopyColorTable(CDibEdit& source);

protected:
    // Depth conversion workers and their twins.

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

    // Interlace variants and scan-line writers.

    // Pixel-effect members.

    static int m_bMMXEnabled;
};

#endif
