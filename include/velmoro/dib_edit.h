// SPDX-License-Identifier: MIT
/// @file
/// CDibEdit: the pixel operations over a CDib. Operations with a SIMD twin pick
/// it when m_bMMXEnabled is set, read once per call.
///
/// Threads: distinct images may be edited on different threads at once. An image
/// that an operation only reads (the overlay or source of an operation, the image
/// of GetColorFromPoint or WriteBmp) may be read by many threads at once; any other
/// use of one image from several threads needs the caller's lock. The SIMD flag is
/// read and written atomically, so TryEnableMMXSupport may run on any thread at any
/// time: a call already running keeps the variant it picked.
#ifndef VELMORO_DIB_EDIT_H
#define VELMORO_DIB_EDIT_H

#include <velmoro/dib.h>
#include <velmoro/platform/geometry.h>

/// An image with the pixel operations: depth conversion, colour-key
/// compositing, alpha blending, crop, join, flip, interlace, mask, fade,
/// filter, colour at a point and colour-table copy.
///
/// Operations work on 8, 16 and 24-bit images unless they say otherwise; two
/// images an operation combines must share depth and, at 16 bits, layout.
/// Points and rectangles count from the top-left pixel; colours are 0x00BBGGRR,
/// and at 8 bits a colour means the first colour-table entry equal to it (entry
/// 0 when none is). Every operation returns a result code; one that fails
/// leaves the image exactly as it was (CombineDib's point and rectangle
/// arguments excepted, see there). An image given as a source may be this
/// image itself.
///
/// Examples: examples/sprite_over_background.cpp, examples/shaped_region.cpp.
class VELMORO_API CDibEdit : public CDib {
public:
    /// An empty image.
    CDibEdit() = default;
    /// Releases both blocks.
    ~CDibEdit() = default;
    /// A deep copy, as CDib's.
    CDibEdit(const CDibEdit& other) = default;
    /// A deep copy, as CDib's.
    CDibEdit& operator=(const CDibEdit& other) = default;

    /// 1 when the processor has MMX (CPUID leaf 1, EDX bit 23); never changes the flag.
    static int CheckMMXTechnology();
    /// Runs the check and stores its result in m_bMMXEnabled, switching the SIMD
    /// twins on for every object; returns the flag. The twins pick SSE2 or AVX2
    /// at run time and give the plain variants' bytes, except AlphaBlendDirect at
    /// 24 bits (the twin rounds the whole mix down) and the in-place switch
    /// between 16-bit layouts (the twin also converts the padding word of an
    /// odd-width row).
    static int TryEnableMMXSupport();

    /// @name Depth conversion
    /// An 8-bit index past the colour table converts as black. The header keeps
    /// its resolution; the colour table goes, and 5-6-5 images get their masks.
    //@{
    /// Makes an 8 or 16-bit image 24-bit (16 bits: BI_BITFIELDS read as 5-6-5, any
    /// other compression as 5-5-5); a 24-bit image stays as it is. DIB_OK;
    /// DIB_ERR_EMPTY; DIB_ERR_BAD_DEPTH for another depth; DIB_ERR_NO_MEMORY
    /// (also for a negative width or height). A failure leaves the image as it was.
    DWORD ConvertTo24BitPerPixel();
    /// Makes an 8, 16 or 24-bit image 16-bit in the layout the selector names
    /// (DIB_FORMAT_565, else 5-5-5); an image already in it stays as it is, a
    /// 16-bit image of the other layout is converted in place. DIB_OK;
    /// DIB_ERR_EMPTY; DIB_ERR_BAD_DEPTH; DIB_ERR_NO_MEMORY. A failure leaves the
    /// image as it was.
    DWORD ConvertTo16BitPerPixel(DWORD format);
    /// Adds the noise the following reduction to 16 bits would drop: 0 to 7 to red
    /// and blue, 0 to 3 (5-6-5) or 0 to 7 to green, saturating at 255. The image
    /// stays 24-bit; call ConvertTo16BitPerPixel next. The noise comes from a
    /// generator of the call's own, seeded from the clock. DIB_OK; DIB_ERR_EMPTY;
    /// DIB_ERR_NOT_24BIT for another depth (the image is not touched).
    DWORD Dither24To16BitPerPixel(DWORD format);
    //@}

    /// @name Colour-key compositing
    /// The overlay (or its part rect, NULL: all of it) goes to point (NULL: the
    /// top-left corner) of the receiving image; with bUseKey non-zero its pixels
    /// of the key colour are left out, with 0 it is copied opaque. Both images
    /// must be 8, 16 or 24-bit of the same depth and compression. Whatever lies
    /// outside the receiving image is clipped: point and rect are rewritten to
    /// the clipped values (a negative point moves rect's left or top instead).
    /// DIB_OK (also when nothing overlaps); DIB_ERR_EMPTY; DIB_ERR_BAD_DEPTH;
    /// DIB_ERR_COMPRESSED; DIB_ERR_BAD_ARGUMENT for an inverted rect and
    /// DIB_ERR_BAD_POSITION for a point beyond the receiving image's width or
    /// height (both before point or rect change).
    //@{
    /// Makes this image base with the overlay composited on it; base or overlay
    /// may be this image. Also DIB_ERR_NO_MEMORY (point and rect already clipped;
    /// the image as it was).
    DWORD CombineDib(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CPoint* point, CRect* rect,
                     int bUseKey);
    /// Composites the overlay onto this image in place; needs no memory. The
    /// overlay may be this image: every pixel is read as it was before the call.
    /// Example: examples/sprite_over_background.cpp.
    DWORD CombineDib(CDibEdit& overlay, DWORD keyColor, CPoint* point, CRect* rect, int bUseKey);
    //@}

    /// @name Alpha blending
    /// 16 or 24-bit images of the same depth, compression and size. DIB_OK;
    /// DIB_ERR_EMPTY; DIB_ERR_BAD_DEPTH; DIB_ERR_COMPRESSED; DIB_ERR_BAD_ARGUMENT
    /// for another size. A failure leaves the image as it was.
    //@{
    /// Mixes this image (weight alpha / 256) with the other in place: each channel
    /// becomes other + (this - other) x alpha / 256, rounded toward zero. 24 bits
    /// blend the whole pixel block as bytes, padding included; 16 bits widen each
    /// channel to 8 bits and pack the result.
    DWORD AlphaBlend(CDibEdit& other, unsigned char alpha);
    /// Writes the mix of first (weight alpha) and second into this image, which
    /// must already be of their size and depth: second + (first - second) x alpha
    /// / 255 at 16 bits (alpha 255 gives first, 0 second), / 256 rounded toward
    /// zero at 24 bits. With the SIMD twins on, 24 bits round the whole mix down:
    /// (first x alpha + second x (256 - alpha)) / 256.
    DWORD AlphaBlendDirect(CDibEdit& first, CDibEdit& second, unsigned char alpha);
    //@}

    /// @name Crop, join and flip
    //@{
    /// Makes this image the part rect (from the top-left; NULL: all) of the
    /// source, clipped to it, with the source's colour table. A result of the size
    /// this image's pixel block already has is written into that block (its
    /// address stays); otherwise a new block replaces it. A crop of this image
    /// itself always gets a new block. DIB_OK; DIB_ERR_EMPTY (empty source);
    /// DIB_ERR_BAD_DEPTH; DIB_ERR_OUT_OF_IMAGE when rect holds nothing of the
    /// source; DIB_ERR_NO_MEMORY. A failure leaves the image as it was.
    DWORD CropFrom(CDibEdit& source, CRect* rect);
    /// Puts the other image to the right of this one. The shorter of the two is
    /// aligned at the top, with a band of the fill colour below it. This image
    /// keeps its info block (and colour table); the other's pixels are copied as
    /// stored. DIB_OK; DIB_ERR_EMPTY; DIB_ERR_COMPRESSED; DIB_ERR_BAD_DEPTH for
    /// this image's depth; DIB_ERR_NOT_8BIT, DIB_ERR_NOT_16BIT or DIB_ERR_NOT_24BIT
    /// when the other's depth differs; DIB_ERR_NO_MEMORY (also for a result
    /// beyond 32-bit sizes). A failure leaves the image as it was.
    DWORD JoinHorz(CDibEdit& other, DWORD fillColor);
    /// Puts the other image below this one; the narrower of the two is aligned at
    /// the left, with a band of the fill colour to its right. Otherwise as JoinHorz.
    DWORD JoinVert(CDibEdit& other, DWORD fillColor);
    /// Turns the image upside down in place; needs no memory. DIB_OK;
    /// DIB_ERR_EMPTY; DIB_ERR_BAD_DEPTH.
    DWORD InvertDibVert();
    /// Mirrors the image left to right in place; needs no memory. DIB_OK;
    /// DIB_ERR_EMPTY; DIB_ERR_BAD_DEPTH.
    DWORD InvertDibHorz();
    //@}

    /// @name Interlace
    /// This image becomes a copy of the source (which may be this image) with
    /// every second line replaced by a line of the fill colour. Lines count from
    /// the top row or the left column: phase non-zero keeps the even-numbered
    /// lines (0, 2, ...), phase 0 the odd-numbered ones. DIB_OK; DIB_ERR_EMPTY
    /// (empty source); DIB_ERR_BAD_DEPTH; DIB_ERR_NO_MEMORY. A failure leaves
    /// the image as it was.
    //@{
    /// Replaces every second row.
    DWORD CreateHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    /// Replaces every second column.
    DWORD CreateVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    //@}

    /// @name Pixel effects
    //@{
    /// Paints a checkerboard in the colour (0x00BBGGRR): the pixels (x, y), counted from
    /// the top-left, with x + y even (phase 0) or odd (phase non-zero); clears row padding.
    /// DIB_OK; DIB_ERR_EMPTY; DIB_ERR_BAD_DEPTH.
    DWORD MaskImage50(DWORD color, int phase);
    /// Adds the amount to every channel of a 24-bit image, saturating at 0 and
    /// 255; row padding stays. DIB_OK; DIB_ERR_EMPTY; DIB_ERR_BAD_DEPTH for another depth.
    DWORD FadeDib(int amount);
    /// 3 x 3 convolution of a 24-bit image: nine weights (stored row below, own row,
    /// stored row above; each left, centre, right), trunc(sum / divisor) + offset,
    /// clamped to 0..255. Pixels outside the image contribute nothing. A new pixel
    /// block replaces the old one. DIB_OK; DIB_ERR_EMPTY; DIB_ERR_BAD_DEPTH;
    /// DIB_ERR_BAD_ARGUMENT for a NULL kernel or a divisor of 0; DIB_ERR_NO_MEMORY.
    /// A failure leaves the image as it was.
    DWORD FilterDib(int* kernel, int divisor, int offset);
    /// Writes the colour (0x00BBGGRR) of the pixel at the point, counted from the
    /// top-left, into *color: 16-bit channels widened to 8 bits, an 8-bit index
    /// past the table black. DIB_OK; DIB_ERR_EMPTY; DIB_ERR_OUT_OF_IMAGE;
    /// DIB_ERR_BAD_DEPTH. On failure *color is not written.
    DWORD GetColorFromPoint(CPoint point, DWORD* color);
    /// Copies the source's colour-table entries over this image's; the counts
    /// must match. Pixels stay. DIB_OK; DIB_ERR_EMPTY; DIB_ERR_NO_COLOR_TABLE when
    /// the source has none; DIB_ERR_COLOR_TABLE_SIZE when the counts differ.
    DWORD CopyColorTable(CDibEdit& source);
    //@}

protected:
    // Depth conversion workers and their twins (the MMX names, SSE2 or AVX2
    // underneath). Each reads the image's current info block and writes
    // stride x height bytes of the new depth into dst; the wrong source depth
    // writes nothing. DIB_OK, DIB_ERR_EMPTY, or DIB_ERR_NOT_8BIT / _16BIT / _24BIT.
    /// 8-bit indices to 24-bit pixels in dst.
    DWORD Bit8To24BitPerPixel(BYTE* dst);
    /// The SIMD twin of Bit8To24BitPerPixel.
    DWORD Bit8To24BitPerPixelMMX(BYTE* dst);
    /// 8-bit indices to 16-bit pixels of the selector's layout in dst.
    DWORD Bit8To16BitPerPixel(BYTE* dst, DWORD format);
    /// The SIMD twin of Bit8To16BitPerPixel.
    DWORD Bit8To16BitPerPixelMMX(BYTE* dst, DWORD format);
    /// 16-bit pixels (BI_BITFIELDS 5-6-5, else 5-5-5) to 24-bit pixels in dst.
    DWORD Bit16To24BitPerPixel(BYTE* dst);
    /// The SIMD twin of Bit16To24BitPerPixel.
    DWORD Bit16To24BitPerPixelMMX(BYTE* dst);
    /// 16-bit pixels of one layout to the selector's in place, in bits (the
    /// image's own pixel block); the caller has checked that the layouts differ.
    DWORD Bit16To16BitPerPixel(BYTE* bits, DWORD format);
    /// The SIMD twin of Bit16To16BitPerPixel.
    DWORD Bit16To16BitPerPixelMMX(BYTE* bits, DWORD format);
    /// 24-bit pixels to 16-bit pixels of the selector's layout in dst.
    DWORD Bit24To16BitPerPixel(BYTE* dst, DWORD format);
    /// The SIMD twin of Bit24To16BitPerPixel.
    DWORD Bit24To16BitPerPixelMMX(BYTE* dst, DWORD format);

    // Compositing workers and their twins. The rectangles are clipped, of equal size
    // and in stored (bottom-up) rows.
    /// The three-image form at 8 bits: writes every byte of newBits (base bytes
    /// outside the rectangle, the overlay composited inside).
    void Combine8BitImage(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                          CRect& overlayRect, BYTE* newBits, int bUseKey);
    /// The SIMD twin of Combine8BitImage.
    void Combine8BitImageMMX(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                             CRect& overlayRect, BYTE* newBits, int bUseKey);
    /// The three-image form at 16 bits, the key packed in the base's layout.
    void Combine16BitImage(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                           CRect& overlayRect, BYTE* newBits, int bUseKey);
    /// The SIMD twin of Combine16BitImage.
    void Combine16BitImageMMX(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                              CRect& overlayRect, BYTE* newBits, int bUseKey);
    /// The three-image form at 24 bits.
    void Combine24BitImage(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                           CRect& overlayRect, BYTE* newBits, int bUseKey);
    /// The SIMD twin of Combine24BitImage.
    void Combine24BitImageMMX(CDibEdit& base, CDibEdit& overlay, DWORD keyColor, CRect& baseRect,
                              CRect& overlayRect, BYTE* newBits, int bUseKey);
    /// The two-image form at 8 bits: changes only targetRect of this image's own
    /// pixel block.
    void Combine8BitImage(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                          int bUseKey);
    /// The SIMD twin of Combine8BitImage.
    void Combine8BitImageMMX(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                             int bUseKey);
    /// The two-image form at 16 bits, the key packed in this image's layout.
    void Combine16BitImage(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                           int bUseKey);
    /// The SIMD twin of Combine16BitImage.
    void Combine16BitImageMMX(CDibEdit& overlay, DWORD keyColor, CRect& targetRect,
                              CRect& overlayRect, int bUseKey);
    /// The two-image form at 24 bits.
    void Combine24BitImage(CDibEdit& overlay, DWORD keyColor, CRect& targetRect, CRect& overlayRect,
                           int bUseKey);
    /// The SIMD twin of Combine24BitImage.
    void Combine24BitImageMMX(CDibEdit& overlay, DWORD keyColor, CRect& targetRect,
                              CRect& overlayRect, int bUseKey);

    // Alpha-blending members. Each checks the receiving object again (empty, depth) and
    // refuses empty or differently sized sources.
    /// AlphaBlend at 16 bits.
    DWORD AlphaBlend16(CDibEdit& other, unsigned char alpha);
    /// AlphaBlend at 24 bits.
    DWORD AlphaBlend24(CDibEdit& other, unsigned char alpha);
    /// AlphaBlendDirect at 16 bits.
    DWORD AlphaBlendDirect16(CDibEdit& first, CDibEdit& second, unsigned char alpha);
    /// AlphaBlendDirect at 24 bits, rounded toward zero.
    DWORD AlphaBlendDirect24(CDibEdit& first, CDibEdit& second, unsigned char alpha);
    /// Rounds the whole mix down: one less than AlphaBlendDirect24 where first < second
    /// and the product is not a multiple of 256.
    DWORD AlphaBlendDirect24MMX(CDibEdit& first, CDibEdit& second, unsigned char alpha);

    // Crop, join and flip workers.
    // The crop workers copy the rectangle (left, right in columns; top, bottom in
    // stored rows, bottom exclusive) of the source into rows of stride(width)
    // bytes with zero padding. A source of another depth or a rectangle outside
    // the source writes nothing.
    /// The crop worker at 8 bits.
    void Crop8BitImage(CDibEdit& source, const CRect& rect, BYTE* dst);
    /// The crop worker at 16 bits.
    void Crop16BitImage(CDibEdit& source, const CRect& rect, BYTE* dst);
    /// The crop worker at 24 bits.
    void Crop24BitImage(CDibEdit& source, const CRect& rect, BYTE* dst);
    /// JoinHorz at 8 bits: DIB_ERR_NOT_8BIT when either image has another depth.
    DWORD Join8BitHorz(CDibEdit& other, DWORD fillColor);
    /// JoinHorz at 16 bits: DIB_ERR_NOT_16BIT when either image has another depth.
    DWORD Join16BitHorz(CDibEdit& other, DWORD fillColor);
    /// JoinHorz at 24 bits: DIB_ERR_NOT_24BIT when either image has another depth.
    DWORD Join24BitHorz(CDibEdit& other, DWORD fillColor);
    /// JoinVert at 8 bits: DIB_ERR_NOT_8BIT when either image has another depth.
    DWORD Join8BitVert(CDibEdit& other, DWORD fillColor);
    /// JoinVert at 16 bits: DIB_ERR_NOT_16BIT when either image has another depth.
    DWORD Join16BitVert(CDibEdit& other, DWORD fillColor);
    /// JoinVert at 24 bits: DIB_ERR_NOT_24BIT when either image has another depth.
    DWORD Join24BitVert(CDibEdit& other, DWORD fillColor);

    // Interlace variants and scan-line writers.
    /// CreateHorzInterlaceFrom at 8 bits: DIB_ERR_NOT_8BIT for a source of another depth.
    DWORD Create8BitHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    /// CreateHorzInterlaceFrom at 16 bits: DIB_ERR_NOT_16BIT for a source of another depth.
    DWORD Create16BitHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    /// CreateHorzInterlaceFrom at 24 bits: DIB_ERR_NOT_24BIT for a source of another depth.
    DWORD Create24BitHorzInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    /// CreateVertInterlaceFrom at 8 bits: DIB_ERR_NOT_8BIT for a source of another depth.
    DWORD Create8BitVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    /// CreateVertInterlaceFrom at 16 bits: DIB_ERR_NOT_16BIT for a source of another depth.
    DWORD Create16BitVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    /// CreateVertInterlaceFrom at 24 bits: DIB_ERR_NOT_24BIT for a source of another depth.
    DWORD Create24BitVertInterlaceFrom(CDibEdit& source, int phase, DWORD fillColor);
    // Each scan-line writer writes exactly bytes (or count) pixel bytes, a last
    // pixel cut short when they do not divide evenly, then pad zero bytes.
    /// Writes count bytes of the index, then pad zero bytes.
    void FillIndexScanLine(BYTE* row, DWORD count, DWORD pad, BYTE index);
    /// Writes bytes bytes of 16-bit pixels of the colour in the selector's layout, then pad zero bytes.
    void FillRGB16ScanLine(BYTE* row, DWORD bytes, DWORD pad, DWORD color, DWORD format);
    /// Writes bytes bytes of 24-bit pixels of the colour, then pad zero bytes.
    void FillRGBScanLine(BYTE* row, DWORD bytes, DWORD pad, DWORD color);

    // Pixel-effect members.
    /// MaskImage50 at 8 bits: DIB_ERR_NOT_8BIT for another depth.
    DWORD Mask8BitImage50(DWORD color, int phase);
    /// MaskImage50 at 16 bits: DIB_ERR_NOT_16BIT for another depth.
    DWORD Mask16BitImage50(DWORD color, int phase);
    /// MaskImage50 at 24 bits: DIB_ERR_NOT_24BIT for another depth.
    DWORD Mask24BitImage50(DWORD color, int phase);
    /// FadeDib's work: DIB_ERR_NOT_24BIT for another depth.
    DWORD Fade24BitDib(int amount);
    /// GetColorFromPoint at 8 bits, the point as x and stored row: DIB_ERR_NOT_8BIT for another depth.
    DWORD Get8BitColorFromPoint(CPoint point, DWORD* color);
    /// GetColorFromPoint at 16 bits, the point as x and stored row: DIB_ERR_NOT_16BIT for another depth.
    DWORD Get16BitColorFromPoint(CPoint point, DWORD* color);
    /// GetColorFromPoint at 24 bits, the point as x and stored row: DIB_ERR_NOT_24BIT for another depth.
    DWORD Get24BitColorFromPoint(CPoint point, DWORD* color);

    /// Reads m_bMMXEnabled atomically: another thread may switch it at any time.
    static int IsMMXEnabled() { return __atomic_load_n(&m_bMMXEnabled, __ATOMIC_RELAXED); }
    /// Writes m_bMMXEnabled atomically.
    static void SetMMXEnabled(int enabled) { __atomic_store_n(&m_bMMXEnabled, enabled, __ATOMIC_RELAXED); }

    /// Non-zero: the operations with a SIMD twin use it. Shared by every object;
    /// set by TryEnableMMXSupport, and read and written only atomically.
    static int m_bMMXEnabled;
};

#endif
