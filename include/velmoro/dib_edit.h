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
