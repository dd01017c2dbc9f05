// SPDX-License-Identifier: MIT
/// @file
/// CJPeg: the binding to the JPEG codec module and its properties record.
///
/// The codec module is a shared object with four C entry points over one
/// properties record: ijlInit, ijlFree, ijlRead and ijlWrite. The project builds
/// and installs its own module (libjpeg-turbo underneath) beside libvelmoro.so;
/// CJPeg::InitJPEGLibrary(NULL) loads that one, a path loads any module that
/// offers the four entry points.
#ifndef VELMORO_JPEG_H
#define VELMORO_JPEG_H

#include <velmoro/platform/module.h>
#include <velmoro/types.h>

/// The codec's result: 0 for success, negative for an error.
typedef int32_t IJLERR;

#define IJL_OK 0                     ///< Success.
#define IJL_ERR_NULL_POINTER (-1)    ///< No record, buffer or path where one is needed.
#define IJL_ERR_BAD_ARGUMENT (-2)    ///< Unknown I/O mode, or a quality outside 1..100.
#define IJL_ERR_FILE_OPEN (-3)       ///< The file named by JPGFile cannot be opened.
#define IJL_ERR_BAD_DIB (-4)         ///< DIB fields the codec cannot serve (size, channels, colour).
#define IJL_MEMORY_ERROR (-5)        ///< An allocation failed.
#define IJL_ERR_CORRUPT (-6)         ///< Not a JPEG, damaged, truncated or unsupported data.
#define IJL_ERR_NO_PICTURE (-7)      ///< A header without a frame, or a width or height of 0.
#define IJL_ERR_BUFFER_FULL (-8)     ///< The encoded stream does not fit in JPGSizeBytes.
#define IJL_ERR_FILE_WRITE (-9)      ///< Writing the file named by JPGFile failed.
#define IJL_ERR_NO_CODEC (-10)       ///< CJPeg only: no codec loaded, or no properties record.

/// Colour codes of the DIB and JPEG sides of the record.
typedef int32_t IJL_COLOR;
#define IJL_RGB 1      ///< Red, green, blue bytes.
#define IJL_BGR 2      ///< Blue, green, red bytes, as DIB rows store them.
#define IJL_YCBCR 3    ///< A YCbCr JPEG.
#define IJL_G 4        ///< Grey: one channel.
#define IJL_OTHER 255  ///< Anything else; a DIB side of IJL_OTHER is read as blue, green, red.

/// I/O modes of ijlRead (0 to 3) and ijlWrite (8 and 9).
typedef int32_t IJLIOTYPE;
#define IJL_JFILE_READPARAMS 0       ///< Read the header of the file JPGFile.
#define IJL_JBUFF_READPARAMS 1       ///< Read the header of the stream JPGBytes.
#define IJL_JFILE_READWHOLEIMAGE 2   ///< Decode the file JPGFile into DIBBytes.
#define IJL_JBUFF_READWHOLEIMAGE 3   ///< Decode the stream JPGBytes into DIBBytes.
#define IJL_JFILE_WRITEWHOLEIMAGE 8  ///< Encode DIBBytes into the file JPGFile.
#define IJL_JBUFF_WRITEWHOLEIMAGE 9  ///< Encode DIBBytes into the buffer JPGBytes.

/// Quality the codec's ijlInit puts into JPGQuality.
#define IJL_DEFAULT_QUALITY 75

/// The properties record, always allocated as kJpegPropertiesBytes zero-filled bytes.
/// DIB fields describe the caller's pixel buffer: DIBWidth pixels of DIBChannels
/// bytes per row, each row followed by DIBPadBytes bytes, |DIBHeight| rows,
/// bottom-up when DIBHeight is negative. Decoding needs 3 channels with IJL_BGR,
/// IJL_RGB or IJL_OTHER (blue, green, red) and writes zeros into the pad bytes;
/// encoding reads 3-channel IJL_BGR or IJL_RGB rows.
struct JPEG_CORE_PROPERTIES {
    DWORD UseJPEGPROPERTIES;  ///< Unused; 0.
    BYTE* DIBBytes;           ///< The caller's pixel buffer.
    DWORD DIBWidth;           ///< Pixels per row of the buffer.
    LONG DIBHeight;           ///< Rows of the buffer; negative for bottom-up rows.
    DWORD DIBPadBytes;        ///< Bytes after each row.
    DWORD DIBChannels;        ///< Bytes per pixel of the buffer: 3.
    IJL_COLOR DIBColor;       ///< Channel order of the buffer: IJL_BGR, IJL_RGB or IJL_OTHER.
    DWORD DIBSubsampling;     ///< For writing a colour JPEG, its chroma sampling: 444, 422 or 420 (0 means 420).
    const char* JPGFile;      ///< The JPEG file of the file modes.
    BYTE* JPGBytes;           ///< The JPEG stream or buffer of the stream modes.
    /// Stream size for reading; for mode 9 the buffer's capacity, then the bytes written.
    DWORD JPGSizeBytes;
    /// @name Set by a header read (mode 0 or 1) and by a successful write.
    //@{
    DWORD JPGWidth;     ///< Width in pixels.
    DWORD JPGHeight;    ///< Height in pixels.
    DWORD JPGChannels;  ///< Colour components: 1 grey, 3 colour, 4 CMYK.
    //@}
    /// For writing: IJL_G gives a grey JPEG, any other value a YCbCr one
    /// (sampled as DIBSubsampling says).
    IJL_COLOR JPGColor;
    /// Encoding quality, 1 to 100.
    DWORD JPGQuality;
};

/// Bytes of the block a properties record lives in; the codec may use those past the declared fields.
constexpr DWORD kJpegPropertiesBytes = 20032;
static_assert(sizeof(JPEG_CORE_PROPERTIES) <= kJpegPropertiesBytes,
              "the properties record fits in its 20032-byte block");

/// @name Entry points of a codec module, resolved by name
//@{
typedef IJLERR (*IJL_INIT_PROC)(JPEG_CORE_PROPERTIES* record);  ///< ijlInit: sets the record's defaults.
typedef IJLERR (*IJL_FREE_PROC)(JPEG_CORE_PROPERTIES* record);  ///< ijlFree: releases what the codec keeps in the record.
typedef IJLERR (*IJL_READ_PROC)(JPEG_CORE_PROPERTIES* record, IJLIOTYPE mode);   ///< ijlRead: a header or a whole picture.
typedef IJLERR (*IJL_WRITE_PROC)(JPEG_CORE_PROPERTIES* record, IJLIOTYPE mode);  ///< ijlWrite: a whole picture.
//@}

/// Owns one loaded codec module and at most one properties record. Operations
/// other than InitJPEGLibrary, IsCodecLoaded and JpgInitConversion need a record
/// (made by JpgInitConversion); without one, or without a codec, they return
/// IJL_ERR_NO_CODEC, 0, or do nothing. The IJLERR results are the codec's,
/// passed through unchanged.
///
/// To decode into an image, CDib::LoadJPEG is the short way; LoadPicture (in
/// picture_io.h) reads JPEG without a CJPeg at all. Objects on different
/// threads load, use and release the module independently.
class VELMORO_API CJPeg {
public:
    /// No codec, no record.
    CJPeg();
    /// Releases the record and the module.
    ~CJPeg();
    /// Each object releases its module and record exactly once.
    CJPeg(const CJPeg&) = delete;
    /// Not copyable.
    CJPeg& operator=(const CJPeg&) = delete;

    /// Loads the codec module (NULL: the project's module beside the library) and
    /// resolves its four entry points; 1 on success, 0 on failure with nothing loaded.
    /// A module loaded before is released first, with its record.
    int InitJPEGLibrary(const char* path);
    /// 1 when a codec module is loaded, else 0.
    int IsCodecLoaded() const;

    /// Replaces the record with a fresh zero-filled one and returns ijlInit on it;
    /// IJL_ERR_NO_CODEC (and no record) without a codec, IJL_MEMORY_ERROR when
    /// the record cannot be made.
    IJLERR JpgInitConversion();
    /// ijlFree on the record, then deletes it; IJL_ERR_NO_CODEC without a codec.
    IJLERR JpgEndConversion();

    /// @name Where the JPEG is
    /// The record keeps the pointers, not copies: they must outlive the codec call.
    //@{
    /// Sets JPGFile, for the file modes.
    void JpgSetJPegFilePath(const char* path);
    /// Sets JPGBytes and JPGSizeBytes, for the stream modes.
    void JpgSetJPegStreamInfo(BYTE* stream, DWORD size);
    //@}

    /// @name Codec calls
    /// ijlRead or ijlWrite in one mode on the record as it stands; the codec's
    /// result, or IJL_ERR_NO_CODEC without a codec or a record.
    //@{
    /// Reads the header of JPGFile (mode 0): sets JPGWidth, JPGHeight, JPGChannels.
    IJLERR JpgFileReadHeader();
    /// Reads the header of the stream (mode 1).
    IJLERR JpgStreamReadHeader();
    /// Decodes JPGFile into the DIB buffer (mode 2).
    IJLERR JpgFileReadImage();
    /// Decodes the stream into the DIB buffer (mode 3).
    IJLERR JpgStreamReadImage();
    /// Encodes the DIB buffer into JPGFile (mode 8).
    IJLERR JpgFileWriteImage();
    /// Encodes the DIB buffer into JPGBytes (mode 9); JPGSizeBytes becomes the bytes written.
    IJLERR JpgBufferWriteImage();
    //@}

    /// JPGWidth of the record, 0 without one.
    DWORD JpgGetImageWidth() const;
    /// JPGHeight of the record, 0 without one.
    DWORD JpgGetImageHeight() const;
    /// The present record, NULL when there is none: the DIB fields of a write and
    /// any field the thin operations do not set are filled in through it.
    JPEG_CORE_PROPERTIES* JpgGetProperties() const { return m_pProperties; }

    /// Sets the file path and reads its header.
    IJLERR JpegFileReadHeader(const char* path);
    /// Sets the stream and reads its header.
    IJLERR JpegStreamReadHeader(BYTE* stream, DWORD size);

    /// After a header read: asks for JPGWidth x JPGHeight bottom-up BGR pixels
    /// in rows padded to a multiple of four bytes, written into the buffer
    /// (which must hold that many bytes). Does nothing without a record.
    void JpgSetDefaultDibConversionInfo(BYTE* buffer);
    /// JpgSetDefaultDibConversionInfo, then decodes the file into the buffer.
    IJLERR JpegFileConvertToDib(BYTE* buffer);
    /// JpgSetDefaultDibConversionInfo, then decodes the stream into the buffer.
    IJLERR JpegStreamConvertToDib(BYTE* buffer);

protected:
    /// ijlRead in the mode; IJL_ERR_NO_CODEC without a codec or a record.
    IJLERR Read(IJLIOTYPE mode);
    /// ijlWrite in the mode; IJL_ERR_NO_CODEC without a codec or a record.
    IJLERR Write(IJLIOTYPE mode);
    /// Releases the module and forgets its entry points.
    void ReleaseModule();

    HMODULE m_hJpegLib;                   ///< The loaded module, NULL without one.
    IJL_INIT_PROC m_pfnInit;              ///< The module's ijlInit.
    IJL_FREE_PROC m_pfnFree;              ///< The module's ijlFree.
    IJL_READ_PROC m_pfnRead;              ///< The module's ijlRead.
    IJL_WRITE_PROC m_pfnWrite;            ///< The module's ijlWrite.
    JPEG_CORE_PROPERTIES* m_pProperties;  ///< The record, NULL without one.
};

#endif
