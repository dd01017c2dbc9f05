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

    // Compositing workers and their twins.

    // Alpha-blending members.

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

    // Pixel-effect members.

    static int m_bMMXEnabled;
};

#endif
