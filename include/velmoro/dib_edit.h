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
    // Depth conversion workers and their twins.

    // Compositing workers and their twins.

    // Alpha-blending members.

    // Crop, join and flip workers.

    // Interlace variants and scan-line writers.

    // Pixel-effect members. The colour-at-point members take the point as x and
    // stored row.
    DWORD Mask8BitImage50(DWORD color, int phase);
    DWORD Mask16BitImage50(DWORD color, int phase);
    DWORD Mask24BitImage50(DWORD color, int phase);
    DWORD Fade24BitDib(int amount);
    DWORD Get8BitColorFromPoint(CPoint point, DWORD* color);
    DWORD Get16BitColorFromPoint(CPoint point, DWORD* color);
    DWORD Get24BitColorFromPoint(CPoint point, DWORD* color);

    static int m_bMMXEnabled;
};

#endif
