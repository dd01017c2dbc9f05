// SPDX-License-Identifier: MIT
// CJPeg: loads a codec module, owns its properties record and passes the
// codec's results through unchanged.
#include <velmoro/jpeg.h>

#include "base/blocks.h"
#include "platform/library_location.h"

#include <cstring>
#include <new>
#include <type_traits>

namespace {

// The record as the codec gets it: the declared fields, then zeros up to its full size.
struct PropertiesBlock {
    JPEG_CORE_PROPERTIES properties;
    BYTE reserved[kJpegPropertiesBytes - sizeof(JPEG_CORE_PROPERTIES)];
};
static_assert(sizeof(PropertiesBlock) == kJpegPropertiesBytes, "the record block is 20032 bytes");
static_assert(std::is_standard_layout_v<PropertiesBlock>, "the properties sit at the block's address");

// A zero-filled record block from the library's allocator; NULL when memory is short.
JPEG_CORE_PROPERTIES* NewPropertiesRecord()
{
    void* block = velmoro::AllocateBlock(sizeof(PropertiesBlock));
    if (!block)
        return NULL;
    std::memset(block, 0, sizeof(PropertiesBlock));
    return &static_cast<PropertiesBlock*>(block)->properties;
}

template <typename Proc>
Proc Resolve(HMODULE module, const char* name)
{
    return reinterpret_cast<Proc>(GetProcAddress(module, name));
}

}  // namespace

CJPeg::CJPeg()
    : m_hJpegLib(NULL), m_pfnInit(NULL), m_pfnFree(NULL), m_pfnRead(NULL), m_pfnWrite(NULL), m_pProperties(NULL)
{
}

CJPeg::~CJPeg()
{
    velmoro::FreeBlock(m_pProperties);
    ReleaseModule();
}

void CJPeg::ReleaseModule()
{
    if (m_hJpegLib)
        FreeLibrary(m_hJpegLib);
    m_hJpegLib = NULL;
    m_pfnInit = NULL;
    m_pfnFree = NULL;
    m_pfnRead = NULL;
    m_pfnWrite = NULL;
}

int CJPeg::InitJPEGLibrary(const char* path)
{
    // A second load replaces the first: its record belongs to the old codec and
    // goes with it, so no module reference or record is ever lost.
    velmoro::FreeBlock(m_pProperties);
    m_pProperties = NULL;
    ReleaseModule();

    if (path) {
        m_hJpegLib = LoadLibraryA(path);
    } else {
        try {
            m_hJpegLib = LoadLibraryA(velmoro::PathBesideLibrary(VELMORO_JPEG_CODEC_FILE).c_str());
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    if (!m_hJpegLib)
        return 0;
    m_pfnInit = Resolve<IJL_INIT_PROC>(m_hJpegLib, "ijlInit");
    m_pfnRead = Resolve<IJL_READ_PROC>(m_hJpegLib, "ijlRead");
    m_pfnFree = Resolve<IJL_FREE_PROC>(m_hJpegLib, "ijlFree");
    m_pfnWrite = Resolve<IJL_WRITE_PROC>(m_hJpegLib, "ijlWrite");
    if (m_pfnInit && m_pfnRead && m_pfnFree && m_pfnWrite)
        return 1;
    ReleaseModule();
    return 0;
}

int CJPeg::IsCodecLoaded() const
{
    return m_hJpegLib != NULL ? 1 : 0;
}

IJLERR CJPeg::JpgInitConversion()
{
    velmoro::FreeBlock(m_pProperties);
    m_pProperties = NULL;
    if (!IsCodecLoaded())
        return IJL_ERR_NO_CODEC;
    m_pProperties = NewPropertiesRecord();
    if (!m_pProperties)
        return IJL_MEMORY_ERROR;
    return m_pfnInit(m_pProperties);
}

IJLERR CJPeg::JpgEndConversion()
{
    if (!IsCodecLoaded())
        return IJL_ERR_NO_CODEC;
    const IJLERR result = m_pfnFree(m_pProperties);
    velmoro::FreeBlock(m_pProperties);
    m_pProperties = NULL;
    return result;
}

void CJPeg::JpgSetJPegFilePath(const char* path)
{
    if (m_pProperties)
        m_pProperties->JPGFile = path;
}

void CJPeg::JpgSetJPegStreamInfo(BYTE* stream, DWORD size)
{
    if (!m_pProperties)
        return;
    m_pProperties->JPGBytes = stream;
    m_pProperties->JPGSizeBytes = size;
}

IJLERR CJPeg::Read(IJLIOTYPE mode)
{
    if (!IsCodecLoaded() || !m_pProperties)
        return IJL_ERR_NO_CODEC;
    return m_pfnRead(m_pProperties, mode);
}

IJLERR CJPeg::Write(IJLIOTYPE mode)
{
    if (!IsCodecLoaded() || !m_pProperties)
        return IJL_ERR_NO_CODEC;
    return m_pfnWrite(m_pProperties, mode);
}

IJLERR CJPeg::JpgFileReadHeader()
{
    return Read(IJL_JFILE_READPARAMS);
}

IJLERR CJPeg::JpgStreamReadHeader()
{
    return Read(IJL_JBUFF_READPARAMS);
}

IJLERR CJPeg::JpgFileReadImage()
{
    return Read(IJL_JFILE_READWHOLEIMAGE);
}

IJLERR CJPeg::JpgStreamReadImage()
{
    return Read(IJL_JBUFF_READWHOLEIMAGE);
}

IJLERR CJPeg::JpgFileWriteImage()
{
    return Write(IJL_JFILE_WRITEWHOLEIMAGE);
}

IJLERR CJPeg::JpgBufferWriteImage()
{
    return Write(IJL_JBUFF_WRITEWHOLEIMAGE);
}

DWORD CJPeg::JpgGetImageWidth() const
{
    return m_pProperties ? m_pProperties->JPGWidth : 0;
}

DWORD CJPeg::JpgGetImageHeight() const
{
    return m_pProperties ? m_pProperties->JPGHeight : 0;
}

IJLERR CJPeg::JpegFileReadHeader(const char* path)
{
    JpgSetJPegFilePath(path);
    return JpgFileReadHeader();
}

IJLERR CJPeg::JpegStreamReadHeader(BYTE* stream, DWORD size)
{
    JpgSetJPegStreamInfo(stream, size);
    return JpgStreamReadHeader();
}

void CJPeg::JpgSetDefaultDibConversionInfo(BYTE* buffer)
{
    JPEG_CORE_PROPERTIES* record = m_pProperties;
    if (!record)
        return;
    const DWORD rowBytes = 3 * record->JPGWidth;
    record->DIBWidth = record->JPGWidth;
    record->DIBHeight = static_cast<LONG>(DWORD{0} - record->JPGHeight);  // -JPGHeight without overflow
    record->DIBChannels = 3;
    record->DIBColor = IJL_BGR;
    record->DIBPadBytes = ((rowBytes + 3) & ~DWORD{3}) - rowBytes;
    record->DIBBytes = buffer;
    switch (record->JPGChannels) {
    case 1: record->JPGColor = IJL_G; break;
    case 3: record->JPGColor = IJL_YCBCR; break;
    default:
        record->DIBColor = IJL_OTHER;
        record->JPGColor = IJL_OTHER;
        break;
    }
}

IJLERR CJPeg::JpegFileConvertToDib(BYTE* buffer)
{
    JpgSetDefaultDibConversionInfo(buffer);
    return JpgFileReadImage();
}

IJLERR CJPeg::JpegStreamConvertToDib(BYTE* buffer)
{
    JpgSetDefaultDibConversionInfo(buffer);
    return JpgStreamReadImage();
}
