// SPDX-License-Identifier: MIT
/// @file
/// One reader and one writer for every picture a user brings: BMP in all its
/// forms, PNG and JPEG, read into an image that every operation takes, and
/// written back as BMP, PNG or JPEG.
///
/// What a read makes: 1, 2 and 4-bit pictures become 8 bits with the same colour
/// table; grey becomes 8 bits with a grey table; 32-bit pictures and any
/// bit-field masks other than 5-6-5 and 5-5-5 become 24 bits (channels widened
/// by repeating their bits); 16-bit PNG channels are reduced to 8 with rounding;
/// 16-bit BMPs stay 16 bits (5-6-5 behind bit-field masks, 5-5-5 as BI_RGB);
/// JPEG pictures, grey ones too, become 24 bits as CDib::LoadJPEG makes them.
/// Alpha is dropped by default, keeping the colour values; the read options can
/// turn pixels below half alpha into a key colour or composite every pixel over
/// a background colour. Transparency of a palette entry or of a grey level
/// settles that table entry, so such pictures stay 8 bits; other alpha makes
/// the picture 24 bits.
///
/// Like CDib::Load, a failed read leaves the image as it was, and a failed
/// write leaves no partial output behind in the file object it was given.
///
/// Example: examples/convert_folder.cpp.
#ifndef VELMORO_PICTURE_IO_H
#define VELMORO_PICTURE_IO_H

#include <velmoro/dib.h>
#include <velmoro/result.h>
#include <velmoro/types.h>

#include <stddef.h>

class CFile;

/// @name Picture formats
/// PICTURE_FORMAT_AUTO means: told by content when reading, by the path's
/// extension when writing.
//@{
#define PICTURE_FORMAT_AUTO 0  ///< Told by content or extension.
#define PICTURE_FORMAT_BMP 1   ///< BMP.
#define PICTURE_FORMAT_JPEG 2  ///< JPEG.
#define PICTURE_FORMAT_PNG 3   ///< PNG.
//@}

/// @name What a read does with an alpha channel
//@{
#define PICTURE_ALPHA_DROP 0        ///< Keep the colour values, ignore alpha.
#define PICTURE_ALPHA_KEY 1         ///< Pixels below half alpha become the key colour.
#define PICTURE_ALPHA_BACKGROUND 2  ///< Every pixel composited over the background colour.
//@}

/// How LoadPicture treats alpha; start from DefaultPictureReadOptions().
struct PictureReadOptions {
    int alpha;         ///< PICTURE_ALPHA_DROP, PICTURE_ALPHA_KEY or PICTURE_ALPHA_BACKGROUND.
    COLORREF keyColor;     ///< For PICTURE_ALPHA_KEY, 0x00BBGGRR.
    COLORREF background;   ///< For PICTURE_ALPHA_BACKGROUND, 0x00BBGGRR.
};

/// How WritePicture writes; start from DefaultPictureWriteOptions().
struct PictureWriteOptions {
    int format;           ///< PICTURE_FORMAT_BMP, _JPEG or _PNG; AUTO (the extension) in the path forms only.
    int jpegQuality;      ///< 1 to 100.
    int jpegSubsampling;  ///< 444, 422 or 420; 0: 4:4:4 at quality 90 and above, 4:2:0 below.
    int pngCompression;   ///< zlib level 0 to 9.
    int alpha;            ///< PICTURE_ALPHA_DROP: opaque; PICTURE_ALPHA_KEY: PNG pixels of keyColor
                          ///< (as a 16-bit image holds it) transparent; BMP and JPEG ignore it.
    COLORREF keyColor;    ///< 0x00BBGGRR.
};

/// What a picture's headers say, read without decoding its pixels.
struct PictureInfo {
    int format;         ///< PICTURE_FORMAT_BMP, _JPEG or _PNG.
    int width;          ///< Width in pixels.
    int height;         ///< Height in pixels, always positive; topDown says how the rows are stored.
    int bitCount;       ///< Bits per pixel as stored (a PNG: channels x bit depth, or the palette depth).
    int channels;       ///< 1 grey or palette, 2 grey + alpha, 3 colour, 4 colour + alpha (JPEG CMYK: 4).
    int hasAlpha;       ///< 1 when the picture stores an alpha channel or a transparent colour.
    int topDown;        ///< 1 for a BMP stored top-down.
    DWORD compression;  ///< A BMP's biCompression; 0 for PNG and JPEG.
    /// @name The image a read with the default options makes of it
    //@{
    int imageBitCount;         ///< 8, 16 or 24.
    DWORD imageCompression;    ///< BI_BITFIELDS for 5-6-5 pixels, else BI_RGB.
    int imageColorEntries;     ///< The colour table's entries at 8 bits, else 0.
    //@}
};

/// The defaults: alpha dropped, key colour FF00FF, black background.
VELMORO_API PictureReadOptions DefaultPictureReadOptions();
/// The defaults for a format: JPEG quality 90 with subsampling chosen by quality,
/// PNG compression 6, alpha dropped.
VELMORO_API PictureWriteOptions DefaultPictureWriteOptions(int format);

/// PICTURE_FORMAT_BMP, _JPEG or _PNG for a path's extension (.bmp .dib, .jpg
/// .jpeg .jpe .jfif, .png; any case), PICTURE_FORMAT_AUTO for any other.
VELMORO_API int PictureFormatFromPath(const char* path);
/// The format told by a picture's first bytes, PICTURE_FORMAT_AUTO when none fits.
VELMORO_API int PictureFormatFromContent(const void* data, size_t size);

/// @name Reading
/// Reads a BMP, PNG or JPEG picture, told apart by content. The file forms read
/// from the file's present position; bClose closes the file after a success.
/// DIB_OK, or DIB_ERR_OPEN (the path cannot be opened), DIB_ERR_FORMAT (not a
/// picture this library reads), DIB_ERR_FILE_IO (cut short or corrupt data, a
/// JPEG stream with lost data), DIB_ERR_BAD_HEADER, DIB_ERR_COMPRESSED,
/// DIB_ERR_NO_MEMORY (also a picture too large for the record, or compressed
/// data far too short for the picture it claims), DIB_ERR_JPEG (no codec),
/// DIB_ERR_BAD_ARGUMENT (an unknown alpha rule). A failed read leaves the image
/// as it was; like CDib::Load, the file object's exceptions pass.
//@{
/// Reads the picture at the path with the default read options.
VELMORO_API DWORD LoadPicture(CDib& image, const char* path);
/// Reads the picture at the path.
VELMORO_API DWORD LoadPicture(CDib& image, const char* path, const PictureReadOptions& options);
/// Reads the picture from a file object with the default read options.
VELMORO_API DWORD LoadPicture(CDib& image, CFile& file, int bClose);
/// Reads the picture from a file object.
VELMORO_API DWORD LoadPicture(CDib& image, CFile& file, int bClose, const PictureReadOptions& options);
/// Reads the picture from size bytes in memory.
VELMORO_API DWORD LoadPicture(CDib& image, const void* data, size_t size, const PictureReadOptions& options);
//@}

/// Reads only the headers of the picture at the path; DIB_OK or the read codes above.
VELMORO_API DWORD ReadPictureInfo(const char* path, PictureInfo& info);
/// Reads only the headers of a picture in memory; DIB_OK or the read codes above.
VELMORO_API DWORD ReadPictureInfo(const void* data, size_t size, PictureInfo& info);

/// @name Writing
/// BMP as WriteBmp writes it; PNG with a palette of the same depth from 1, 2, 4
/// and 8 bits, RGB from 16, 24 and 32 bits; JPEG from any of those through 24
/// bits (grey when every colour of an indexed image is). The whole file is
/// encoded before anything is written, so a picture that cannot be encoded
/// leaves no file and writes nothing. DIB_OK, or DIB_ERR_FORMAT (no format),
/// DIB_ERR_BAD_ARGUMENT (options out of range), DIB_ERR_EMPTY (an empty image,
/// or for PNG and JPEG one without pixels), DIB_ERR_BAD_DEPTH (a form the
/// format cannot take), DIB_ERR_NO_MEMORY, DIB_ERR_JPEG (no codec, or the codec
/// refuses the picture), DIB_ERR_OPEN or DIB_ERR_WRITE when the file fails.
/// The image never changes.
//@{
/// Writes the image in the format its path's extension names, with that format's
/// default options; DIB_ERR_FORMAT for any other extension, nothing written.
VELMORO_API DWORD WritePicture(CDib& image, const char* path);
/// Writes the image to the path in the format the options name, or with
/// PICTURE_FORMAT_AUTO the one its extension names.
VELMORO_API DWORD WritePicture(CDib& image, const char* path, const PictureWriteOptions& options);
/// Writes the image at the file object's position in the format the options name.
VELMORO_API DWORD WritePicture(CDib& image, CFile& file, const PictureWriteOptions& options);
//@}

#endif
