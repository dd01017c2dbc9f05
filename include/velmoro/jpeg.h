// CJPeg: the binding to the JPEG codec module and its properties record.
//
// The codec module is a shared object with four C entry points over one
// properties record: ijlInit, ijlFree, ijlRead and ijlWrite. The project builds
// and installs its own module (libjpeg-turbo underneath) beside libvelmoro.so;
// CJPeg::InitJPEGLibrary(NULL) loads that one, a path loads any module that
// offers the four entry points.
#ifndef VELMORO_JPEG_H
#define VELMORO_JPEG_H

#include <velmoro/platform/module.h>
#include <velmoro/types.h>

// The codec's result: 0 for success, negative for an error.
typedef int32_t IJLERR;

#define IJL_OK 0
#define IJL_ERR_NULL_POINTER (-1)    // no record, buffer or path where one is needed
#define IJL_ERR_BAD_ARGUMENT (-2)    // unknown I/O mode, or a quality outside 1..100
#define IJL_ERR_FILE_OPEN (-3)       // the file named by JPGFile cannot be opened
#define IJL_ERR_BAD_DIB (-4)         // DIB fields the codec cannot serve (size, channels, colour)
#define IJL_MEMORY_ERROR (-5)        // an allocation failed
#define IJL_ERR_CORRUPT (-6)         // not a JPEG, damaged, truncated or unsupported data
#define IJL_ERR_NO_PICTURE (-7)      // a header without a frame, or a width or height of 0
#define IJL_ERR_BUFFER_FULL (-8)     // the encoded stream does not fit in JPGSizeBytes
#define IJL_ERR_FILE_WRITE (-9)      // writing the file named by JPGFile failed
#define IJL_ERR_NO_CODEC (-10)       // CJPeg only: no codec loaded, or no properties record

// Colour codes of the DIB and JPEG sides of the record.
typedef int32_t IJL_COLOR;
#define IJL_RGB 1
#define IJL_BGR 2
#define IJL_YCBCR 3
#define IJL_G 4
#define IJL_OTHER 255

// I/O modes of ijlRead (0 to 3) and ijlWrite (8 and 9).
typedef int32_t IJLIOTYPE;
#define IJL_JFILE_READPARAMS 0
#define IJL_JBUFF_READPARAMS 1
#define IJL_JFILE_READWHOLEIMAGE 2
#define IJL_JBUFF_READWHOLEIMAGE 3
#define IJL_JFILE_WRITEWHOLEIMAGE 8
#define IJL_JBUFF_WRITEWHOLEIMAGE 9

// Quality the codec's ijlInit puts into JPGQuality.
#define IJL_DEFAULT_QUALITY 75

// The properties record, always allocated as kJpegPropertiesBytes zero-filled bytes.
// DIB fields describe the caller's pixel buffer: DIBWidth pixels of DIBChannels
// bytes per row, each row followed by DIBPadBytes bytes, |DIBHeight| rows,
// bottom-up when DIBHeight is negative. Decoding needs 3 channels with IJL_BGR,
// IJL_RGB or IJL_OTHER (blue, green, red) and writes zeros into the pad bytes;
// encoding reads 3-channel IJL_BGR or IJL_RGB rows.
struct JPEG_CORE_PROPERTIES {
    DWORD UseJPEGPROPERTIES;
    BYTE* DIBBytes;
    DWORD DIBWidth;
    LONG DIBHeight;
    DWORD DIBPadBytes;
    DWORD DIBChannels;
    IJL_COLOR DIBColor;
    // For writing a colour JPEG, its chroma sampling: 444, 422 or 420 (0 means 420).
    DWORD DIBSubsampling;
    const char* JPGFile;
    BYTE* JPGBytes;
    // Stream size for reading; for mode 9 the buffer's capacity, then the bytes written.
    DWORD JPGSizeBytes;
    // Set by a header read (mode 0 or 1) and by a successful write.
    DWORD JPGWidth;
    DWORD JPGHeight;
    DWORD JPGChannels;
    // For writing: IJL_G gives a grey JPEG, any other value a YCbCr one
    // (sampled as DIBSubsampling says).
    IJL_COLOR JPGColor;
    // Encoding quality, 1 to 100.
    DWORD JPGQuality;
};

constexpr DWORD kJpegPropertiesBytes = 20032;
static_assert(sizeof(JPEG_CORE_PROPERTIES) <= kJpegPropertiesBytes,
              "the properties record fits in its 20032-byte block");

// Entry points of a codec module, resolved by name.
typedef IJLERR (*IJL_INIT_PROC)(JPEG_CORE_PROPERTIES* record);
typedef IJLERR (*IJL_FREE_PROC)(JPEG_CORE_PROPERTIES* record);
typedef IJLERR (*IJL_READ_PROC)(JPEG_CORE_PROPERTIES* record, IJLIOTYPE mode);
typedef IJLERR (*IJL_WRITE_PROC)(JPEG_CORE_PROPERTIES* record, IJLIOTYPE mode);

// Owns one loaded codec module and at most one properties record. Operations
// other than InitJPEGLibrary, IsCodecLoaded and JpgInitConversion need a record
// (made by JpgInitConversion); without one, or without a codec, they return
// IJL_ERR_NO_CODEC, 0, or do nothing.
class VELMORO_API CJPeg {
public:
    CJPeg();
    ~CJPeg();
    // Each object releases its module and record exactly once.
    CJPeg(const CJPeg&) = delete;
    CJPeg& operator=(const CJPeg&) = delete;

    // Loads the codec module (NULL: the project's module beside the library) and
    // resolves its four entry points; 1 on success, 0 on failure with nothing loaded.
    int InitJPEGLibrary(const char* path);
    int IsCodecLoaded() const;

    // Replaces the record with a fresh zero-filled one and returns ijlInit on it.
    IJLERR JpgInitConversion();
    // ijlFree on the record, then deletes it.
    IJLERR JpgEndConversion();

    // The record keeps the pointers, not copies: they must outlive the codec call.
    void JpgSetJPegFilePath(const char* path);
    void JpgSetJPegStreamInfo(BYTE* stream, DWORD size);

    IJLERR JpgFileReadHeader();
    IJLERR JpgStreamReadHeader();
    IJLERR JpgFileReadImage();
    IJLERR JpgStreamReadImage();
    IJLERR JpgFileWriteImage();
    IJLERR JpgBufferWriteImage();

    DWORD JpgGetImageWidth() const;
    DWORD JpgGetImageHeight() const;
    // The present record, NULL when there is none: the DIB fields of a write and
    // any field the thin operations do not set are filled in through it.
    JPEG_CORE_PROPERTIES* JpgGetProperties() const { return m_pProperties; }

    IJLERR JpegFileReadHeader(const char* path);
    IJLERR JpegStreamReadHeader(BYTE* stream, DWORD size);

    // After a header read: asks for JPGWidth x JPGHeight bottom-up BGR pixels
    // in rows padded to a multiple of four bytes, written into the buffer.
    void JpgSetDefaultDibConversionInfo(BYTE* buffer);
    IJLERR JpegFileConvertToDib(BYTE* buffer);
    IJLERR JpegStreamConvertToDib(BYTE* buffer);

protected:
    IJLERR Read(IJLIOTYPE mode);
    IJLERR Write(IJLIOTYPE mode);
    void ReleaseModule();

    HMODULE m_hJpegLib;
    IJL_INIT_PROC m_pfnInit;
    IJL_FREE_PROC m_pfnFree;
    IJL_READ_PROC m_pfnRead;
    IJL_WRITE_PROC m_pfnWrite;
    JPEG_CORE_PROPERTIES* m_pProperties;
};

#endif
